// infra/infra_ids.h: identifier allocation and the system action log.
//
// INFRA_IDS holds exactly one row with one counter column per counted key;
// each column holds the last value handed out. The allocation reads the
// counter and writes it back plus one with the statements the Oracle path
// has always used; it runs inside the caller's transaction, or in one of its
// own, which takes the write lock first, so concurrent callers (threads or
// processes) never receive the same value.
#ifndef OCG_INFRA_INFRA_IDS_H_
#define OCG_INFRA_INFRA_IDS_H_

#include <cstdint>
#include <string>

#include "value/value.h"

namespace ocg {

// Hands out the next value of counter column coluna. True with *novo_id set;
// false with msg set ("Não há registro no banco de dados na tabela Infra_ids. "
// when the row is missing, the failure routine's text on an error, which is
// logged). reservado, dono and conexao are accepted and unused; flag "S" would
// name an open connection object, which callers never pass: every flag runs on
// conecta.
bool gAtualiza_infra_ids(const std::string& banco, int32_t usuario, int32_t reservado,
                         const std::string& dono, const std::string& flag, const Value& conexao,
                         const std::string& conecta, const std::string& coluna, std::string& msg,
                         int32_t& novo_id);

// Records an action in LOG_SISTEMA, drawing its key from LOG_SISTEMA_ID.
// False (retorno 10, msg set) only when the counter row is missing; every other
// failure is swallowed and the result is true.
bool gGrava_Log_Sistema(const std::string& banco, int32_t& tabela, int32_t& acao, int32_t& usuario,
                        int32_t& registro, int32_t& retorno, std::string& msg,
                        const std::string& conecta);

}  // namespace ocg

#endif  // OCG_INFRA_INFRA_IDS_H_
