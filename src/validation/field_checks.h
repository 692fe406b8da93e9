// validation/field_checks.h: the four checks of a form field.
//
// Each check cleans the field in place (a value that is neither Null nor the
// empty text becomes the text with ' < > ( ) ; % & + " removed), lets an
// optional field ("N") pass when empty, refuses a mandatory empty one with
// "Preencha " + label, then tests form and bounds and writes its Portuguese
// sentence into msg on refusal. msg is untouched on success. Bounds may be
// empty (no bound). An internal error gives the check's user text (with the
// detail for the user 1) and false; nothing is logged and no database is read.
#ifndef OCG_VALIDATION_FIELD_CHECKS_H_
#define OCG_VALIDATION_FIELD_CHECKS_H_

#include "value/value.h"

namespace ocg {

// Dates typed dd/mm/yyyy (10 characters). On a value that passes the form
// tests, data_convertida receives yyyy/mm/dd (also when a bound then refuses).
bool gConsiste_Data(Value& rotulo, Value& valor, Value& minimo, Value& maximo, Value& usuario,
                    Value& msg, Value& data_convertida, Value& obrigatorio);

// Whole numbers: no "." and no ","; bounds compared as numbers.
bool gConsiste_Inteiro(Value& rotulo, Value& valor, Value& minimo, Value& maximo,
                       Value& usuario, Value& msg, Value& obrigatorio);

// Numbers: the decimal comma is accepted, the "." is not.
bool gConsiste_Numero(Value& rotulo, Value& valor, Value& minimo, Value& maximo, Value& usuario,
                      Value& msg, Value& obrigatorio);

// Texts of at most tamanho characters (0 or empty: any length).
bool gConsiste_String(Value& rotulo, Value& valor, Value& tamanho, Value& usuario, Value& msg,
                      Value& obrigatorio);

}  // namespace ocg

#endif  // OCG_VALIDATION_FIELD_CHECKS_H_
