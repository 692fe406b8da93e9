#!/usr/bin/env bash
# Writes docs/api.md: one worked example per operation, each request sent to
# a running `ocg serve` on a fresh demo database and its answer as it came.
# Every example must succeed (HTTP 200 and the operation's success result):
# otherwise the script stops, names the example and leaves docs/api.md alone.
# Run again when operations land.
#   bash scripts/api_examples.sh   (after bash scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(mktemp -d)
./build/ocg init-db "$dir/demo.db" --demo > /dev/null
./build/ocg serve --listen 127.0.0.1:18611 --db "demo=Data Source=$dir/demo.db" --user 5 \
    > /dev/null 2>&1 &
server=$!
trap 'kill $server; rm -rf "$dir"' EXIT
for _ in $(seq 1 100); do curl -sf http://127.0.0.1:18611/health > /dev/null && break; sleep 0.1; done

header='{"InVntTab_Tipo_Docto_Transp_ID": 9, "invntCliente_id": 101, "invntponto_operacao_id": 1,
 "invntData_Atual": "06/12/2026", "invntEnd_Destinatario_id": 2012, "invntMunicipio_Dest_id": 3,
 "invntN_Docto_Cliente": "", "invntData_Prev_Carreg": "10/12/2026",
 "invntVeiculo_Forn_id": 2, "invntColaborador_id": 301, "invntFornecedor_id": "",
 "invntLocal_Carreg": "PATIO 3", "invntPeso_Previsto": "10", "invntTxt_Embalagem": "BOBINAS",
 "invntObs1": "", "invntQtde_Programacao": 4, "invntFlag_Ademe": "N",
 "invntTAB_TIPO_RESPONSAVEL_ID": 0, "invntTAB_TIPO_EMERGENCIA_ID": 0'
examples=(
  'gVerif_Exist_Docto|{"inlngnum_docto_ini": 126, "inlngnum_docto_fim": 149, "inlngTab_Tipo_Docto_ID": 9, "InLngPonto_Operacao_ID": 1}'
  'gBusca_Numeracao_Automatica|{"invntponto_operacao_id": 1, "InVntTab_Tipo_Docto_Transp_ID": 9}'
  'mVer_Dup_Col_Geral|{"invntNum_Docto_Transp": "151", "InVntTab_Tipo_Docto_Transp_ID": 9, "invntponto_operacao_id": 1}'
  'gCons_Flag_Progr|{"invntCliente_id": 101}'
  'gBusca_Carreta_Veiculo|{"InLngVeiculo_Fornecedor_ID": 2}'
  'gCons_Docto_Transp|{"invntDocto_Transp_id": 1}'
  'gExclui_Col_Geral|{"invntDocto_Transp_id": 5, "inVntNum_CVA": ""}'
  'mBusca_EMail_Usuario|{"InLngUsuario_Internet_ID": 5}'
  "gAltera_Col_Geral|{\"invntDocto_Transp_id\": 1, \"invntN_Docto_Transp\": \"158\", \"invntDestinatario_id\": 201, \"inarrvntBaixas\": [\"5\", \"5\", \"0\", \"0\"], \"inarrvntProg_Carga_ID\": [11, 12, 13, 14], \"invntveiculo_carreta_id\": 21, ${header#\{}}"
  'gImprime_Coleta|{"invntDocto_Transp_id": 1}'
  'mConsiste_Progr_Carga|{"invntCliente_id": 101, "invntDestinatario_id": 201, "invntponto_operacao_id": 1, "invntQtde_Programacao": 4, "inarrvntBaixas": [10, 0, 0, 0], "invntPeso_Previsto": 10, "inarrvntProg_Carga_ID": [11, 12, 13, 14]}'
  "gInclui_Col_Geral|{\"invntN_Docto_Transp\": \"159\", \"invntDestinatario_id\": 201, \"inarrvntBaixas\": [\"10\", \"0\", \"0\", \"0\"], \"inarrvntProg_Carga_ID\": [11, 12, 13, 14], \"invntveiculo_carreta_id\": 21, ${header#\{}}"
  "mconsiste_campos|{\"invntN_Docto_Transp\": \"159\", ${header#\{}}"
  'gBusca_Ton_Prog|{"invntCliente_id": 101, "invntDestinatario_id": 201, "invntponto_operacao_id": 1}'
  'gBusca_Dados_Programacao|{"invntnum_programacao": 2026031, "invntponto_operacao_id": 1}'
  'gCons_Veic|{"invntVeic_Fornec_id": 2}'
  'gCons_geral|{"invntNum_Pj_Pf": "56.789.012/0001-34", "invntIndic_Pj_Pf": "PJ"}'
  'gCons_End_Dest|{"InVntPessoa_id": 201}'
)
pretty() { python3 -c 'import json,sys; print(json.dumps(json.load(sys.stdin), indent=2, ensure_ascii=False))'; }
# The answer of one example, pretty; fails unless the call succeeded.
answer() {
  local op=$1 body=$2 reply status
  reply=$(curl -s -w '\n%{http_code}' -X POST "http://127.0.0.1:18611/ocg/$op" -d "$body")
  status=${reply##*$'\n'}
  reply=${reply%$'\n'*}
  if [[ $status != 200 ]] || ! python3 -c 'import json,sys; r=json.load(sys.stdin).get("result"); sys.exit(0 if r is True or (r == 0 and r is not False) else 1)' <<< "$reply"; then
    echo "api_examples: the $op example did not succeed (HTTP $status): $reply" >&2
    return 1
  fi
  pretty <<< "$reply"
}
out="$dir/api.md"
{
  cat << 'MD'
# The HTTP API

`ocg serve` answers each operation at `POST /ocg/{operation}`. The body is the
same JSON argument object `ocg call` takes (by argument name; an absent
argument is Empty; `{"date": "YYYY-MM-DDTHH:MM:SS"}` is a date); the answer
is the same object `ocg call` prints: the operation, its result and every
argument after the call. The result says whether the operation succeeded: 0
(Value operations) or `true` (Boolean operations); otherwise the message
argument says why, in the component's own words. A call that ran answers 200
whatever its result.

The database, kind and user:

- the connection argument names one of the server's databases (`--db
  NAME=...`, the first is the default): callers never send a connection
  string or a path unless the server runs with `--allow-connection-strings`;
- the kind defaults to the server's `--kind` (ORACLE unless told);
- with `--tokens`, every request but `/` and `/health` carries
  `Authorization: Bearer TOKEN`, and the user argument is the token's user,
  whatever the body says.

| Path | What it answers |
|---|---|
| `POST /ocg/{operation}` | the call |
| `GET /ocg` | the operations, their arguments (name, direction, type, role) and result kinds |
| `GET /openapi.json` | the API in OpenAPI 3, generated from the interface table |
| `GET /health` | 200 when every configured database answers, 503 otherwise |
| `GET /metrics` | Prometheus text: calls, failures and latency per operation; responses by status |
| `GET /` | the order screen |

Errors are JSON, `{"error": "...", "status": N}`: 400 malformed JSON, an
argument of the wrong shape or framing the server cannot trust (nothing ran), 401 a missing or unknown token, 403
a connection string from a caller, 404 an unknown operation or path, 405 the
wrong method (with `Allow`), 408 a request that did not arrive whole within
`--request-timeout`, 413 a body over `--max-body` (whatever its content
type: a body is read as JSON however it is labelled), 431 headers over 100
fields or 8 KiB, 503 a connection past the server's connection limits.

```sh
curl -s http://127.0.0.1:8080/ocg/gNada -X POST -d '{}'
# {"error":"unknown operation 'gNada' (see GET /ocg)","status":404}
```

## One example per operation

Each request below was sent with
`curl -s -X POST http://127.0.0.1:8080/ocg/OPERATION -d 'BODY'` to a server
on a fresh demo database (`ocg init-db demo.db --demo`), one after the other
in this order; the answers are shown indented. The server runs as user 5
(`--user 5`). Regenerate this page with `bash scripts/api_examples.sh`.
MD
  for example in "${examples[@]}"; do
    op=${example%%|*}
    body=${example#*|}
    echo
    echo "### $op"
    echo
    echo '```sh'
    echo "curl -s -X POST http://127.0.0.1:8080/ocg/$op -d '$(echo "$body" | tr -s ' \n' ' ' | sed 's/ *$//')'"
    echo '```'
    echo
    echo '```json'
    answer "$op" "$body"
    echo '```'
  done
} > "$out"
cp "$out" docs/api.md
echo "wrote docs/api.md"
