// infra/formatador.h: the number component.
//
// Turns what users and the database supply (texts with the decimal comma,
// column values, sums) into numbers that compare, add and print. Both
// operations return the number itself as a Double Value; a value that is not a
// number fails with the platform's type mismatch, which the calling procedure
// traps. Stateless: an instance per call, as the callers create it.
#ifndef OCG_INFRA_FORMATADOR_H_
#define OCG_INFRA_FORMATADOR_H_

#include "base/status.h"
#include "value/value.h"

namespace ocg {

class Formatador {
 public:
  // A number that orders numerically: "10" > "9". Empty reads 0.
  Status Converte_Numero(const Value& value, Value& result) const;
  // A number that adds, compares and reads well in a message: the column value
  // "12,5" and the Double 12.5 give the same result, and a computed sum is
  // rounded to the 15 significant digits it prints with (10.1 + 20.2 gives
  // 30.3). Null reads 0. A text reads as gTrata_Numero leaves it for the
  // number conversion: "1.5" and "1,5" are both one and a half, "" is 0,
  // "1.234.567" groups thousands; so a typed tonnage means the same in the
  // sum of the take-offs, the checks, the bookings and the links.
  Status Formata_Valor(const Value& value, Value& result) const;
};

}  // namespace ocg

#endif  // OCG_INFRA_FORMATADOR_H_
