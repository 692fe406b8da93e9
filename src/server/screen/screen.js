// The order screen: every button is one call of POST /ocg/{operation}, and
// what the component answers in its message argument is shown as it comes.
'use strict';

const $ = (selector) => document.querySelector(selector);
const form = $('#coleta');
let programmes = [];  // the offer last listed, in the component's order

// --- Calling the service -----------------------------------------------------

async function call(operation, args) {
  const headers = {'Content-Type': 'application/json'};
  const token = sessionStorage.getItem('ocg-token');
  if (token) headers.Authorization = 'Bearer ' + token;
  const response = await fetch('/ocg/' + operation, {method: 'POST', headers, body: JSON.stringify(args)});
  const body = await response.json().catch(() => ({error: 'Resposta inválida do serviço.'}));
  if (response.status === 401) {
    $('#acesso').hidden = false;
    throw new Error('Informe a chave de acesso do serviço.');
  }
  if (!response.ok) throw new Error(body.error || 'Erro ' + response.status);
  return body;
}

const succeeded = (answer) => answer.result === 0 || answer.result === true;

function messageOf(answer) {
  for (const [name, value] of Object.entries(answer.arguments)) {
    if (/^out(vntMsg_Ret|strMsg)/i.test(name)) return text(value);
  }
  return '';
}

// A Value as a person reads it: dates as dd/mm/aaaa, Empty and Null as nothing.
function text(value) {
  if (value === null || value === undefined) return '';
  if (Array.isArray(value)) return value.map(text).join(', ');
  if (typeof value === 'object') {
    if (value.date) return value.date.slice(0, 10).split('-').reverse().join('/');
    return '';
  }
  return String(value);
}

function show(message, ok) {
  const bar = $('#mensagem');
  bar.textContent = message;
  bar.className = ok ? 'ok' : 'erro';
}

// Runs one action with the buttons held, and shows whatever it throws.
async function act(action) {
  const buttons = document.querySelectorAll('button');
  buttons.forEach((b) => { b.disabled = true; });
  try {
    await action();
  } catch (error) {
    show(error.message, false);
  } finally {
    buttons.forEach((b) => { b.disabled = false; });
  }
}

// --- The form ----------------------------------------------------------------

function set(name, value) { form.elements[name].value = text(value); }
function get(name) { return form.elements[name].value.trim(); }

function fill(a) {
  const map = {
    tipo: 'outvntTab_Tipo_Docto_Transp_id', numero: 'outvntNum_Docto_Transp',
    ponto: 'outvntPonto_Operacao_id', emissao: 'outvntData_Emissao',
    impressa: 'OutVntFlag_Coleta_Impressa', cva: 'outvntcva', cliente: 'outvntCliente_id',
    cliente_nome: 'outvntCliente', destinatario: 'outvntPessoa_id',
    endereco: 'outvntEnd_Destinatario_id', municipio: 'outvntDestino_id',
    veiculo: 'outvntVeic_Fornecedor_id', placa: 'outvntPlaca', carreta: 'outvntveiculo_carreta_id',
    colaborador: 'outvntColaborador_id', colaborador_nome: 'outvntColaborador',
    fornecedor: 'outvntFornecedor_id', fornecedor_nome: 'outvntFornecedor',
    data_prev: 'outvntData_Prev_Carregamento', local: 'outvntLocal_Carreg',
    peso: 'outvntPeso_Previsto', embalagem: 'outvntTxt_Embalagem', obs: 'outvntObserv1',
    ademe: 'outvntFlag_Ademe', responsavel: 'outvntTAB_TIPO_RESPONSAVEL_ID',
    emergencia: 'outvntTAB_TIPO_EMERGENCIA_ID',
  };
  for (const [field, argument] of Object.entries(map)) set(field, a[argument]);
  if (!get('ademe')) set('ademe', 'N');
  const document = text(a.outvntPj_Cgc) || text(a.outvntPf_Cpf);
  set('destino_texto', [text(a.outvntNome), text(a.outvntEndereco), text(a.outvntMunicipio),
    document].filter(Boolean).join(' — '));
  set('pedido', [text(a.outvntPedido_id), text(a.outvntNum_Pedido_Externo)].filter(Boolean).join(' / '));
}

function today() {
  const d = new Date();
  const two = (n) => String(n).padStart(2, '0');
  return `${two(d.getDate())}/${two(d.getMonth() + 1)}/${d.getFullYear()}`;
}

// The order's header fields as the field check and the creation take them.
function headerArguments() {
  return {
    InVntTab_Tipo_Docto_Transp_ID: get('tipo'), invntCliente_id: get('cliente'),
    invntponto_operacao_id: get('ponto'), invntData_Atual: today(),
    invntEnd_Destinatario_id: get('endereco'), invntMunicipio_Dest_id: get('municipio'),
    invntN_Docto_Cliente: get('docto_cliente'), invntN_Docto_Transp: get('numero'),
    invntData_Prev_Carreg: get('data_prev'), invntVeiculo_Forn_id: get('veiculo'),
    invntColaborador_id: get('colaborador'), invntFornecedor_id: get('fornecedor'),
    invntLocal_Carreg: get('local'), invntPeso_Previsto: get('peso'),
    invntTxt_Embalagem: get('embalagem'), invntObs1: get('obs'),
    invntQtde_Programacao: programmes.length, invntFlag_Ademe: get('ademe'),
    invntTAB_TIPO_RESPONSAVEL_ID: get('responsavel'), invntTAB_TIPO_EMERGENCIA_ID: get('emergencia'),
  };
}

function orderId() {
  const id = $('#coleta-id').value.trim();
  if (!/^\d+$/.test(id)) throw new Error('Informe o número (ID) da coleta.');
  return Number(id);
}

// --- The actions ---------------------------------------------------------------

async function lookUp() {
  const answer = await call('gCons_Docto_Transp', {invntDocto_Transp_id: orderId()});
  if (!succeeded(answer)) return show(messageOf(answer), false);
  fill(answer.arguments);
  $('#impressao').hidden = true;
  show(`Coleta ${orderId()} carregada.`, true);
}

async function checkFields() {
  const answer = await call('mconsiste_campos', headerArguments());
  if (succeeded(answer)) return show('Campos conferidos: nenhuma pendência.', true);
  show(messageOf(answer), false);
}

async function listProgrammes() {
  const id = $('#coleta-id').value.trim();
  const answer = await call('gBusca_Ton_Prog', {
    invntCliente_id: get('cliente'), invntDestinatario_id: get('destinatario'),
    invntponto_operacao_id: get('ponto'), InVntDocto_Transporte_ID: id,
  });
  const body = $('#lista-programacoes tbody');
  body.replaceChildren();
  programmes = [];
  if (!succeeded(answer)) {
    $('#lista-programacoes').hidden = true;
    return show(messageOf(answer), false);
  }
  const a = answer.arguments;
  const count = Number(text(a.outVntTam_Arr)) || 0;
  for (let i = 0; i < count; i++) {
    const item = (name) => (Array.isArray(a[name]) ? a[name][i] : null);
    programmes.push(item('outarrvntProgram_Carga_id'));
    const row = body.insertRow();
    for (const name of ['outarrvntNum_Programacao', 'outarrvntData_Disponivel',
      'outarrvntTon_P_Escoar', 'OutArrVntTon_Carregada']) {
      row.insertCell().textContent = text(item(name));
    }
    const input = document.createElement('input');
    input.inputMode = 'decimal';
    row.insertCell().append(input);
  }
  $('#lista-programacoes').hidden = false;
  show(count ? `${count} programação(ões) disponível(is).` : 'Nenhuma programação disponível.', true);
}

async function create() {
  const takeOffs = [...document.querySelectorAll('#lista-programacoes tbody input')]
    .map((input) => input.value.trim() || '0');
  const answer = await call('gInclui_Col_Geral', {
    ...headerArguments(), invntDestinatario_id: get('destinatario'),
    invntveiculo_carreta_id: get('carreta'), inarrvntBaixas: takeOffs,
    inarrvntProg_Carga_ID: programmes,
  });
  if (!succeeded(answer)) return show(messageOf(answer), false);
  $('#coleta-id').value = text(answer.arguments.outvntDocto_Transp_id);
  await lookUp();
  show(`Coleta ${text(answer.arguments.outvntDocto_Transp_id)} incluída.`, true);
}

async function print() {
  const answer = await call('gImprime_Coleta', {invntDocto_Transp_id: orderId()});
  if (!succeeded(answer)) return show(messageOf(answer), false);
  const list = $('#impressao ol');
  list.replaceChildren();
  const lines = answer.arguments.outvntarrconteudo;
  for (const line of Array.isArray(lines) ? lines : []) {
    list.appendChild(document.createElement('li')).textContent = text(line);
  }
  $('#impressao').hidden = false;
  show('Dados de impressão da coleta ' + orderId() + '.', true);
}

async function remove() {
  const answer = await call('gExclui_Col_Geral', {invntDocto_Transp_id: orderId(), inVntNum_CVA: get('cva')});
  if (!succeeded(answer)) return show(messageOf(answer), false);
  form.reset();
  show(`Coleta ${orderId()} excluída.`, true);
}

// --- Wiring ----------------------------------------------------------------------

$('#consulta').addEventListener('submit', (event) => { event.preventDefault(); act(lookUp); });
$('#limpar').addEventListener('click', () => {
  form.reset();
  $('#coleta-id').value = '';
  $('#lista-programacoes').hidden = true;
  $('#impressao').hidden = true;
  show('', true);
});
$('#acesso').addEventListener('submit', (event) => {
  event.preventDefault();
  sessionStorage.setItem('ocg-token', $('#chave').value.trim());
  $('#acesso').hidden = true;
  show('Chave registrada nesta aba.', true);
});
$('#verificar').addEventListener('click', () => act(checkFields));
$('#programacoes').addEventListener('click', () => act(listProgrammes));
$('#incluir').addEventListener('click', () => act(create));
$('#imprimir').addEventListener('click', () => act(print));
$('#excluir').addEventListener('click', () => { $('#confirmar-exclusao').hidden = false; });
$('#confirmar-exclusao').addEventListener('click', () => {
  $('#confirmar-exclusao').hidden = true;
  act(remove);
});

// /?coleta=N opens order N.
const linked = new URLSearchParams(location.search).get('coleta');
if (linked) {
  $('#coleta-id').value = linked;
  act(lookUp);
}
