// The order screen. It holds one current order: the one last looked up by its
// id (`current`), or, when that is null, a new one being written. Every action
// that names an order sends current.id, never the id box: typing in the id
// box, a lookup (whether it finds the order or not), "Nova coleta" and a
// deletion forget the current order first. The programme list and its
// take-offs belong to the order on screen and go with it.
'use strict';

const $ = (selector) => document.querySelector(selector);
const form = $('#coleta');
const idBox = $('#coleta-id');
const offerBody = $('#lista-programacoes tbody');

let current = null;  // {id, numero, cva} of the order on screen
let offer = [];      // the programmes listed for the order on screen, in list order
let pendingDelete = null;  // the order a shown confirmation deletes
let busy = false;    // an action is waiting for the service
let generation = 0;  // bumped whenever the order on screen changes; stale answers are dropped

// --- Calling the service -----------------------------------------------------

const kUnreachable =
  'Não foi possível falar com o serviço de coletas. Verifique a conexão e tente de novo.';

// POST /ocg/{operation}; resolves to {ok, args, message}. Anything but an
// answer of the component throws an Error with a sentence for the clerk.
async function call(operation, args) {
  const headers = {'Content-Type': 'application/json'};
  const token = sessionStorage.getItem('ocg-token');
  if (token) headers.Authorization = 'Bearer ' + token;
  let response;
  try {
    response = await fetch('/ocg/' + operation, {method: 'POST', headers, body: JSON.stringify(args)});
  } catch {
    throw new Error(kUnreachable);
  }
  const body = await response.json().catch(() => null);
  if (response.status === 401) {
    $('#acesso').hidden = false;
    throw new Error('Informe a chave de acesso do serviço.');
  }
  if (response.status === 400) throw new Error('O serviço recusou os dados enviados. Confira os campos.');
  if (!response.ok || !body || !body.arguments) {
    throw new Error('O serviço de coletas não respondeu como devia. Tente de novo em instantes.');
  }
  const ok = body.result === 0 || body.result === true;
  return {ok, args: body.arguments, message: ok ? '' : messageOf(body.arguments)};
}

function messageOf(args) {
  for (const [name, value] of Object.entries(args)) {
    if (/^out(vntMsg_Ret|strMsg)/i.test(name)) return text(value);
  }
  return '';
}

// --- Values as a clerk reads and types them ------------------------------------

// A Value as a person reads it: numbers the Brazilian way, dates as
// dd/mm/aaaa, Empty and Null as nothing.
function text(value) {
  if (value === null || value === undefined) return '';
  if (typeof value === 'number') return brazilian(value);
  if (Array.isArray(value)) return value.map(text).join(', ');
  if (typeof value === 'object') {
    return value.date ? value.date.slice(0, 10).split('-').reverse().join('/') : '';
  }
  return String(value);
}

// 1234.5 -> "1234,5": no thousands separator, since typed text goes back to
// the service, which refuses one.
const brazilian = (n) => String(Math.round(n * 1000) / 1000).replace('.', ',');
// "1,5" or "1.5" -> 1.5; "" -> 0.
const numberOf = (typed) => Number(String(typed).replace(',', '.')) || 0;

// What each kind of field lets through as it is typed (data-tipo).
const kFilters = {
  inteiro: (v) => v.replace(/\D/g, ''),
  decimal: (v) => {
    const [whole, ...rest] = v.replace(/\./g, ',').replace(/[^\d,]/g, '').split(',');
    return rest.length ? whole + ',' + rest.join('') : whole;
  },
  data: (v) => {
    const d = v.replace(/\D/g, '').slice(0, 8);
    return [d.slice(0, 2), d.slice(2, 4), d.slice(4)].filter(Boolean).join('/');
  },
  documento: (v) => v.replace(/[^\d./-]/g, ''),
};
const kAllowed = {inteiro: 'apenas números', decimal: 'apenas números, com vírgula nos decimais',
  data: 'uma data dd/mm/aaaa', documento: 'apenas os números do CNPJ ou CPF'};

function filterTyping(event) {
  const input = event.target;
  const kind = input.dataset?.tipo;
  if (!kind) return;
  const filtered = kFilters[kind](input.value);
  if (filtered === input.value) return;
  // Separators are put right silently; anything else is dropped with a word.
  const stray = kind === 'inteiro' ? /\D/ : /[^\d.,/-]/;
  if (stray.test(input.value)) show(`O campo "${labelOf(input)}" aceita ${kAllowed[kind]}.`, 'aviso');
  input.value = filtered;
}

// "56789012000134" -> {indic: 'PJ', number: "56.789.012/0001-34"}; null
// unless 11 (CPF) or 14 (CNPJ) digits.
function taxId(typed) {
  const d = typed.replace(/\D/g, '');
  if (d.length === 14) {
    return {indic: 'PJ', number: d.replace(/(\d{2})(\d{3})(\d{3})(\d{4})(\d{2})/, '$1.$2.$3/$4-$5')};
  }
  if (d.length === 11) return {indic: 'PF', number: d.replace(/(\d{3})(\d{3})(\d{3})(\d{2})/, '$1.$2.$3-$4')};
  return null;
}

// --- The form ----------------------------------------------------------------

const field = (name) => form.elements[name];
function set(name, value) { field(name).value = text(value); }
function get(name) { return field(name).value.trim(); }
function labelOf(control) {
  const label = control.closest('label') || control.labels?.[0];
  return label ? label.querySelector('span').textContent : control.getAttribute('aria-label');
}
function say(id, words) { $(id).textContent = words; }
const joined = (...parts) => parts.map(text).filter(Boolean).join(' — ');
// Orders of types other than 9 have no number (0).
const orderName = (order) =>
  (+order.numero ? `coleta nº ${order.numero} (ID ${order.id})` : `coleta (ID ${order.id})`);
const capital = (words) => words[0].toUpperCase() + words.slice(1);

function today() {
  const d = new Date();
  const two = (n) => String(n).padStart(2, '0');
  return `${two(d.getDate())}/${two(d.getMonth() + 1)}/${d.getFullYear()}`;
}

function clearForm() {
  form.reset();
  for (const output of form.querySelectorAll('output')) output.textContent = '';
  setTrailers([], '');
  $('#proprietario').hidden = true;
  unmark();
}

function fill(a) {
  const map = {
    tipo: 'outvntTab_Tipo_Docto_Transp_id', numero: 'outvntNum_Docto_Transp',
    ponto: 'outvntPonto_Operacao_id', cva: 'outvntcva', cliente: 'outvntCliente_id',
    destinatario: 'outvntPessoa_id', endereco: 'outvntEnd_Destinatario_id',
    municipio: 'outvntDestino_id', veiculo: 'outvntVeic_Fornecedor_id',
    colaborador: 'outvntColaborador_id', fornecedor: 'outvntFornecedor_id',
    data_prev: 'outvntData_Prev_Carregamento', local: 'outvntLocal_Carreg',
    peso: 'outvntPeso_Previsto', embalagem: 'outvntTxt_Embalagem', obs: 'outvntObserv1',
    // The customer's own order number lives on the sales order, which an
    // alteration writes back.
    docto_cliente: 'outvntNum_Pedido_Externo',
    responsavel: 'outvntTAB_TIPO_RESPONSAVEL_ID', emergencia: 'outvntTAB_TIPO_EMERGENCIA_ID',
  };
  for (const [name, argument] of Object.entries(map)) set(name, a[argument]);
  set('ademe', text(a.outvntFlag_Ademe) === 'S' ? 'S' : 'N');
  set('documento', text(a.outvntPj_Cgc) || text(a.outvntPf_Cpf));
  say('#cliente-nome', text(a.outvntCliente));
  say('#destino', joined(a.outvntNome, a.outvntEndereco, a.outvntMunicipio));
  say('#cavalo', text(a.outvntPlaca) && 'Placa ' + text(a.outvntPlaca));
  say('#colaborador-nome', text(a.outvntColaborador));
  say('#fornecedor-nome', text(a.outvntFornecedor));
  say('#situacao', [`Emitida em ${text(a.outvntData_Emissao)}`,
    text(a.OutVntFlag_Coleta_Impressa) === 'S' ? 'já impressa' : 'não impressa',
    text(a.outvntPedido_id) && 'pedido ' + text(a.outvntPedido_id)].filter(Boolean).join(' · '));
}

// The order's header fields as the field check, the creation and the
// alteration take them.
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
    invntQtde_Programacao: offer.length, invntFlag_Ademe: get('ademe'),
    invntTAB_TIPO_RESPONSAVEL_ID: get('responsavel'), invntTAB_TIPO_EMERGENCIA_ID: get('emergencia'),
  };
}

// --- Messages, refusals and focus ------------------------------------------------

function show(message, kind = 'ok') {
  const bar = $('#mensagem');
  bar.textContent = message;
  bar.className = kind;
}

function unmark() {
  for (const marked of document.querySelectorAll('[aria-invalid]')) {
    marked.removeAttribute('aria-invalid');
    marked.removeAttribute('aria-describedby');
  }
}

function mark(control) {
  control.setAttribute('aria-invalid', 'true');
  control.setAttribute('aria-describedby', 'mensagem');
}

// Shows a refusal; marks and focuses the control it names, or else the message.
function refuse(message, control = controlNamedIn(message)) {
  unmark();
  show(message, 'erro');
  if (control) {
    mark(control);
    control.focus();
  } else {
    $('#mensagem').focus();
  }
}

// The words the service's refusals use for each field, most specific first.
const kFieldWords = [
  [/Nº Ordem de coleta|N\.Docto Transporte|nº de ordem de coleta/i, 'numero'],
  [/Informe o Cliente/i, 'cliente'],
  [/Ponto de Operação/i, 'ponto'],
  [/Município do Destinatário/i, 'municipio'],
  [/Informe o Destinatário/i, 'endereco'],
  [/Placa do Cavalo/i, 'veiculo'],
  [/N\.Docto Cliente/i, 'docto_cliente'],
  [/Data Prev\. Carregamento/i, 'data_prev'],
  [/Peso Previsto/i, 'peso'],
  [/Observação/i, 'obs'],
  [/Responsável pelo Transporte/i, 'responsavel'],
  [/Tipo de Emergência/i, 'emergencia'],
  [/fornecedor\.$/i, 'fornecedor'],
];

function controlNamedIn(message) {
  // A take-off refusal quotes the take-off: the first input holding it.
  const take = /valor da baixa \((-?[\d.,]+)\)/.exec(message);
  if (take) {
    const inputs = [...offerBody.querySelectorAll('input')];
    return inputs.find((i) => numberOf(i.value) === numberOf(take[1])) || inputs[0] || null;
  }
  const hit = kFieldWords.find(([words]) => words.test(message));
  return hit ? field(hit[1]) : null;
}

// The checks made before anything is sent: the fields the service requires,
// in screen order, and the date's form.
function checkLocally() {
  const required = ['tipo', 'ponto', 'cliente', 'endereco', 'municipio', 'veiculo', 'data_prev'];
  if (get('tipo') === '9') required.push('numero');
  // The dangerous-load codes start at 1: 0 is no choice.
  const codes = get('ademe') === 'S' ? ['responsavel', 'emergencia', 'fornecedor'] : [];
  for (const control of form.elements) {
    const value = String(control.value ?? '').trim();
    const missing = required.includes(control.name) ? !value : codes.includes(control.name) && /^0*$/.test(value);
    if (missing) {
      refuse(`Preencha o campo "${labelOf(control)}".`, control);
      return false;
    }
  }
  // The service reads codes and numbers as 32-bit integers.
  const huge = [...form.elements].find((e) => e.dataset.tipo === 'inteiro' && +e.value > 2147483647);
  if (huge) {
    refuse(`O campo "${labelOf(huge)}" aceita números até 2147483647.`, huge);
    return false;
  }
  const date = /^(\d{2})\/(\d{2})\/(\d{4})$/.exec(get('data_prev'));
  const day = date && new Date(+date[3], date[2] - 1, +date[1]);
  if (!day || day.getDate() !== +date[1] || day.getMonth() !== date[2] - 1) {
    refuse('Informe no campo "Data Prev. Carregamento" uma data válida, dd/mm/aaaa.', field('data_prev'));
    return false;
  }
  return true;
}

// --- The order on screen -----------------------------------------------------------

// The screen shows no order any more: its fields, the programme list with
// its take-offs, a pending confirmation and the printout go with it.
function forget() {
  current = null;
  generation++;
  clearForm();
  clearOffer();
  disarm();
  $('#impressao').hidden = true;
  document.body.classList.remove('com-impressao');
}

function clearOffer() {
  offer = [];
  offerBody.replaceChildren();
  say('#soma-baixas', '');
  $('#lista-programacoes').hidden = true;
}

function disarm() {
  pendingDelete = null;
  $('#confirmacao').hidden = true;
}

// Buttons and title follow the order on screen.
function refresh() {
  for (const button of document.querySelectorAll('button')) button.disabled = busy;
  if (busy) return;
  for (const id of ['#imprimir', '#excluir']) $(id).disabled = !current;
  $('#sugerir').disabled = !!current;
  $('#gravar').textContent = current ? 'Alterar coleta' : 'Incluir coleta';
  say('#titulo', current ? capital(orderName(current)) : 'Nova coleta');
}

// Runs one action with the buttons held and the progress shown, shows what
// it throws, and gives the focus back if the action left it nowhere.
async function act(action, progress = 'Consultando…') {
  if (busy) return;
  const focused = document.activeElement;
  busy = true;
  $('#tela').setAttribute('aria-busy', 'true');
  refresh();
  show(progress, 'espera');
  try {
    await action();
  } catch (error) {
    refuse(error.message, null);
  } finally {
    busy = false;
    $('#tela').setAttribute('aria-busy', 'false');
    refresh();
    if (document.activeElement === document.body && focused?.isConnected && !focused.disabled) {
      focused.focus();
    }
  }
}

// --- Looking things up ------------------------------------------------------------

async function lookUp() {
  const id = idBox.value.trim();
  forget();
  if (!/^\d+$/.test(id)) return refuse('Informe o número (ID) da coleta.', idBox);
  const answer = await call('gCons_Docto_Transp', {invntDocto_Transp_id: Number(id)});
  if (!answer.ok) return refuse(answer.message, idBox);
  fill(answer.args);
  current = {id: Number(id), numero: get('numero'), cva: get('cva')};
  refresh();
  show(`${capital(orderName(current))} carregada.`);
  $('#titulo').focus();
  await loadTrailers(get('veiculo'), get('carreta') || text(answer.args.outvntveiculo_carreta_id));
}

function setTrailers(trailers, chosen) {
  const select = field('carreta');
  const options = [new Option('sem carreta', '')];
  for (const [id, plate] of trailers) options.push(new Option(`${plate} (${id})`, String(id)));
  if (chosen && !trailers.some(([id]) => String(id) === chosen)) {
    options.push(new Option(`carreta ${chosen}`, chosen));
  }
  select.replaceChildren(...options);
  select.value = chosen || '';
}

async function loadTrailers(vehicle, chosen) {
  if (!vehicle) return setTrailers([], '');
  const asked = generation;
  const answer = await call('gBusca_Carreta_Veiculo', {InLngVeiculo_Fornecedor_ID: Number(vehicle)});
  if (asked !== generation) return;
  const ids = Array.isArray(answer.args.outarrvntcarreta_veiculo_id) ? answer.args.outarrvntcarreta_veiculo_id : [];
  const plates = answer.args.outarrvntcarreta_veiculo || [];
  setTrailers(ids.map((id, i) => [id, text(plates[i])]), chosen);
}

// The destination by CNPJ or CPF: its code, address and town.
async function lookUpDestination() {
  clearOffer();
  const id = taxId(get('documento'));
  if (!id) return refuse('Informe no campo "Destinatário (CNPJ/CPF)" um CNPJ (14 dígitos) ou CPF (11 dígitos).', field('documento'));
  set('documento', id.number);
  const answer = await call('gCons_geral', {invntNum_Pj_Pf: id.number, invntIndic_Pj_Pf: id.indic});
  if (!answer.ok) return refuse(`Destinatário ${id.number}: ${answer.message}`, field('documento'));
  const a = answer.args;
  set('destinatario', a.outvntPessoa_id);
  say('#destino', showDestination(a));
  show(`Destinatário ${text(a.outvntNome)} encontrado.`);
}

// Fills the destination's address and town codes; returns how it reads.
function showDestination(a) {
  set('endereco', a.outvntEnd_Pessoa_id);
  set('municipio', a.outvntmunicipio_id);
  set('documento', a.outvntCnpj_Cpf);
  return joined(a.outvntNome, a.outvntEndereco, a.outvntMunicipio);
}

// The programme by its number at the operating point: its customer and
// destination.
async function lookUpProgramme() {
  clearOffer();
  if (!get('ponto')) return refuse('Preencha o campo "Ponto de Operação".', field('ponto'));
  if (!get('programacao')) return refuse('Preencha o campo "Nº da programação".', field('programacao'));
  const answer = await call('gBusca_Dados_Programacao', {
    invntnum_programacao: Number(get('programacao')), invntponto_operacao_id: Number(get('ponto'))});
  if (!answer.ok) return refuse(answer.message, field('programacao'));
  const a = answer.args;
  set('cliente', a.outvntCliente_id);
  say('#cliente-nome', text(a.outvntCliente));
  set('destinatario', a.outvntdestinatario_id);
  say('#destino', showDestination({outvntEnd_Pessoa_id: a.outvntEnd_Destinatario_id, outvntmunicipio_id: a.outvntmunicipio_id,
    outvntCnpj_Cpf: text(a.outvntPj_Cgc_dest) || text(a.outvntPf_Cpf_dest), outvntNome: a.outvntdestinatario,
    outvntEndereco: a.outvntendereco_dest, outvntMunicipio: a.outvntmunic_uf_dest}));
  show(`Programação ${get('programacao')}: ${text(a.outvntCliente)} para ${text(a.outvntdestinatario)}.`);
}

async function proposeNumber() {
  if (!get('ponto')) return refuse('Preencha o campo "Ponto de Operação".', field('ponto'));
  const answer = await call('gBusca_Numeracao_Automatica', {
    invntponto_operacao_id: Number(get('ponto')), InVntTab_Tipo_Docto_Transp_ID: Number(get('tipo'))});
  const a = answer.args;
  if (!answer.ok || text(a.OutStrFlag_Numero_Automatico) !== 'S') {
    return refuse(answer.message || `O ponto ${get('ponto')} não numera o tipo ${get('tipo')}: ` +
      'preencha o campo "Nº Ordem de coleta".', field('numero'));
  }
  set('numero', a.OutLngNum_Docto_Transporte);
  show(`Número proposto: ${get('numero')}.`);
  field('numero').focus();
}

// A lookup made while the clerk goes on typing: it holds no button and moves
// no focus. Its output says "Consultando…" meanwhile and then what describe
// makes of the answer; an answer that comes after the order on screen changed
// is dropped.
async function quietly(control, output, operation, args, describe) {
  const asked = generation;
  say(output, 'Consultando…');
  let words = '';
  try {
    const answer = await call(operation, args);
    if (asked !== generation) return;
    if (answer.ok) {
      words = await describe(answer.args);
    } else {
      show(`${labelOf(control)} ${control.value}: ${answer.message}`, 'erro');
      mark(control);
    }
  } catch (error) {
    if (asked === generation) show(error.message, 'erro');
  } finally {
    if (asked === generation) say(output, words);
  }
}

// Names shown as soon as a code is known (collaborators and suppliers are
// persons with the same code).
function personName(name, output, describe = (a) => text(a.outvntNome)) {
  say(output, '');
  if (!get(name)) return;
  quietly(field(name), output, 'gCons_End_Dest', {InVntPessoa_id: Number(get(name))}, describe);
}

// The tractor's owner, and its trailers to choose from.
function vehicle() {
  const id = get('veiculo');
  say('#cavalo', '');
  $('#proprietario').hidden = true;
  if (!id) return setTrailers([], '');
  quietly(field('veiculo'), '#cavalo', 'gCons_Veic', {invntVeic_Fornec_id: Number(id)}, async (a) => {
    await loadTrailers(id, '');
    const own = Number(a.outvntProprietario_id) === 1;
    $('#proprietario').hidden = own;
    $('#proprietario').dataset.id = text(a.outvntProprietario_id);
    const capacity = a.outvntCapacidade_kg ? ` · ${text(a.outvntCapacidade_kg)} kg` : '';
    return `${own ? 'Frota própria' : 'Proprietário'}: ${text(a.outvntProprietario)} ` +
      `(${text(a.outvntProprietario_id)})${capacity}`;
  });
}

function useOwnerAs(name) {
  set(name, $('#proprietario').dataset.id);
  field(name).dispatchEvent(new Event('change', {bubbles: true}));
}

// --- The actions ---------------------------------------------------------------

async function listProgrammes() {
  clearOffer();
  for (const name of ['ponto', 'cliente', 'destinatario']) {
    if (!get(name)) return refuse(`Preencha o campo "${labelOf(field(name))}".`, field(name));
  }
  const answer = await call('gBusca_Ton_Prog', {
    invntCliente_id: get('cliente'), invntDestinatario_id: get('destinatario'),
    invntponto_operacao_id: get('ponto'), InVntDocto_Transporte_ID: current ? current.id : '',
  });
  if (!answer.ok) return refuse(answer.message);
  const a = answer.args;
  const item = (name, i) => (Array.isArray(a[name]) ? a[name][i] : null);
  for (let i = 0; i < (Number(a.outVntTam_Arr) || 0); i++) {
    // For an order on screen the list's tonnage to ship includes the order's
    // own take, which is shown apart and typed in as its take-off.
    const own = current ? Number(item('OutArrVntTon_Carregada', i)) || 0 : 0;
    const programme = {id: item('outarrvntProgram_Carga_id', i), own};
    offer.push(programme);
    const row = offerBody.insertRow();
    const number = text(item('outarrvntNum_Programacao', i));
    for (const cell of [number, text(item('outarrvntData_Disponivel', i)),
      brazilian((Number(item('outarrvntTon_P_Escoar', i)) || 0) - own), brazilian(own)]) {
      row.insertCell().textContent = cell;
    }
    const input = document.createElement('input');
    Object.assign(input, {inputMode: 'decimal', maxLength: 16, value: own ? brazilian(own) : ''});
    input.dataset.tipo = 'decimal';
    input.setAttribute('aria-label', `Baixa (t) da programação ${number}`);
    row.insertCell().append(input);
  }
  sumTakeOffs();
  $('#lista-programacoes').hidden = false;
  if (!offer.length) return show('Nenhuma programação disponível para este cliente e destinatário.');
  show(`${offer.length} programação(ões) disponível(is).`);
  offerBody.querySelector('input').focus();
}

const takeOffs = () => [...offerBody.querySelectorAll('input')].map((i) => i.value.trim() || '0');

function sumTakeOffs() {
  say('#soma-baixas', brazilian(takeOffs().reduce((sum, t) => sum + numberOf(t), 0)));
}

async function checkFields() {
  if (!checkLocally()) return;
  const answer = await call('mconsiste_campos', headerArguments());
  if (!answer.ok) return refuse(answer.message);
  show('Campos conferidos: nenhuma pendência.');
  $('#mensagem').focus();
}

// Creates the new order, or alters the one on screen.
async function save() {
  if (!checkLocally()) return;
  const order = current;
  const args = {
    ...headerArguments(), invntDestinatario_id: get('destinatario'),
    invntveiculo_carreta_id: get('carreta'), inarrvntBaixas: takeOffs(),
    inarrvntProg_Carga_ID: offer.map((p) => p.id),
  };
  if (order) args.invntDocto_Transp_id = order.id;
  const answer = await call(order ? 'gAltera_Col_Geral' : 'gInclui_Col_Geral', args);
  if (!answer.ok) return refuse(answer.message);
  idBox.value = order ? order.id : text(answer.args.outvntDocto_Transp_id);
  await lookUp();
  if (current) show(`${capital(orderName(current))} ${order ? 'alterada' : 'incluída'}.`);
}

const kPrintHeader = {filial: 16, titulo: 14};
// The print fields, in the order the document shows them, by their position
// in the answer; the long ones take a whole line on paper.
const kPrintFields = [
  ['Solicitante', 4], ['Data da solicitação', 6], ['Endereço do solicitante', 5, 'largo'],
  ['Destino', 12, 'largo'], ['Nº do documento do cliente', 11], ['Peso previsto (t)', 13],
  ['Tipo de veículo', 7], ['Motorista', 10], ['Placa do cavalo', 8], ['Placa da carreta', 9],
  ['Observação', 15, 'largo'],
];

async function printOrder() {
  const order = current;
  const answer = await call('gImprime_Coleta', {invntDocto_Transp_id: order.id});
  if (!answer.ok) return refuse(answer.message);
  const f = answer.args.outvntarrconteudo;
  // A deleted order has no print row: the array comes back as it was sent.
  if (!Array.isArray(f) || f.length <= kPrintHeader.filial) {
    forget();
    refresh();
    return refuse(`A ${orderName(order)} não pode ser impressa: ela não está mais ativa (foi excluída?).`, null);
  }
  say('#impressao-filial', text(f[kPrintHeader.filial]));
  say('#impressao-endereco', [f[0], f[1], f[2] && 'CEP ' + text(f[2]), f[3] && 'Fone ' + text(f[3])]
    .map(text).filter(Boolean).join(' · '));
  say('#impressao-titulo', `Ordem de Coleta nº ${text(f[kPrintHeader.titulo]) || '—'} (ID ${order.id})`);
  const list = $('#impressao dl');
  list.replaceChildren();
  for (const [label, i, width] of kPrintFields) {
    const row = list.appendChild(document.createElement('div'));
    if (width) row.className = width;
    row.appendChild(document.createElement('dt')).textContent = label;
    row.appendChild(document.createElement('dd')).textContent = text(f[i]) || '—';
  }
  $('#impressao').hidden = false;
  document.body.classList.add('com-impressao');
  show(`${capital(orderName(order))} pronta para impressão.`);
  $('#impressao').focus();
  window.print();
}

function askToDelete() {
  pendingDelete = current;
  say('#pergunta', `Excluir a ${orderName(current)}?`);
  $('#confirmacao').hidden = false;
  $('#cancelar-exclusao').focus();
}

async function remove() {
  const order = pendingDelete;
  disarm();
  if (!order || order !== current) return;
  const answer = await call('gExclui_Col_Geral', {invntDocto_Transp_id: order.id, inVntNum_CVA: order.cva});
  if (!answer.ok) return refuse(answer.message);
  forget();
  idBox.value = '';
  show(`${capital(orderName(order))} excluída.`);
  $('#mensagem').focus();
}

function newOrder() {
  forget();
  idBox.value = '';
  refresh();
  show('Nova coleta: preencha os campos.');
  field('ponto').focus();
}

// --- Wiring ----------------------------------------------------------------------

document.addEventListener('input', (event) => {
  filterTyping(event);
  disarm();
  event.target.removeAttribute?.('aria-invalid');
  event.target.removeAttribute?.('aria-describedby');
  if (event.target === idBox && current) {
    forget();
    refresh();
    show('Pressione Consultar para abrir a coleta informada.', 'aviso');
  }
  if (offerBody.contains(event.target)) sumTakeOffs();
});
form.addEventListener('change', (event) => {
  disarm();
  const name = event.target.name;
  // The list belongs to the customer, destination and point it was read for.
  if (['cliente', 'destinatario', 'ponto'].includes(name)) clearOffer();
  if (name === 'documento' && taxId(get('documento'))) set('documento', taxId(get('documento')).number);
  if (name === 'cliente') personName('cliente', '#cliente-nome');
  if (name === 'destinatario') personName('destinatario', '#destino', showDestination);
  if (name === 'colaborador') personName('colaborador', '#colaborador-nome');
  if (name === 'fornecedor') personName('fornecedor', '#fornecedor-nome');
  if (name === 'veiculo') vehicle();
});
$('#consulta').addEventListener('submit', (event) => { event.preventDefault(); act(lookUp); });
$('#nova').addEventListener('click', newOrder);
$('#acesso').addEventListener('submit', (event) => {
  event.preventDefault();
  sessionStorage.setItem('ocg-token', $('#chave').value.trim());
  $('#acesso').hidden = true;
  show('Chave registrada nesta aba.');
});
const onClick = (id, handler) => $(id).addEventListener('click', handler);
onClick('#sugerir', () => act(proposeNumber));
onClick('#buscar-programacao', () => act(lookUpProgramme));
onClick('#buscar-destinatario', () => act(lookUpDestination));
onClick('#usar-colaborador', () => useOwnerAs('colaborador'));
onClick('#usar-fornecedor', () => useOwnerAs('fornecedor'));
onClick('#verificar', () => act(checkFields));
onClick('#programacoes', () => act(listProgrammes));
onClick('#gravar', () => act(save, 'Gravando…'));
onClick('#imprimir', () => current && act(printOrder));
onClick('#excluir', () => current && askToDelete());
onClick('#cancelar-exclusao', () => { disarm(); $('#excluir').focus(); });
onClick('#confirmar-exclusao', () => act(remove, 'Gravando…'));
// Enter in a lookup field looks it up, as its button does.
for (const [name, button] of [['documento', '#buscar-destinatario'], ['programacao', '#buscar-programacao']]) {
  field(name).addEventListener('keydown', (event) => {
    if (event.key === 'Enter') { event.preventDefault(); $(button).click(); }
  });
}

refresh();
// /?coleta=N opens order N.
const linked = new URLSearchParams(location.search).get('coleta');
if (linked) {
  idBox.value = linked;
  act(lookUp);
}
