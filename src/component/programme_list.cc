// component/programme_list.cc: the load programmes an order may draw from.
//
//   gBusca_Ton_Prog  public: the programmes of a customer, destination and
//                    point, with what each can give the order and what the
//                    order already takes from it
//
// Its Oracle-path statement, mVerifica_Lista_Programacao_Utilizada, is built
// in programme_offer.cc.
// Only reads. For an existing order the tonnage it holds in a programme counts
// as available to it again.
#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/formatador.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"

namespace ocg {
namespace {

constexpr TrapSite kListSite{
    "ZorOCG.gBusca_Ton_Prog",
    "Acesso aos dados da tonelada programada não disponível. Favor tentar mais tarde."};

// The five out arrays; entry i of each describes the same programme.
struct Listing {
  std::vector<Value> ids;        // gTrata_Numero(PROGRAM_CARGA_ID)
  std::vector<Value> numbers;    // gNulo_Vazio(NUM_PROGRAMACAO)
  std::vector<Value> available;  // Doubles
  std::vector<Value> dates;      // gNulo_Vazio(DATA_DISPON), "DD/MM/YYYY"
  std::vector<Value> taken;      // Doubles

  std::array<std::vector<Value>*, 5> Columns() {
    return {&ids, &numbers, &available, &dates, &taken};
  }
};

// Appends the current row: for a new order its tonnage to ship and 0 taken;
// for an existing one, the order's take (TON_CARREGADA) counts as available
// to it again.
Status AddEntry(const RecordSet& rs, bool existing_order, Listing& out) {
  const Formatador formatador;
  Value id, number, to_ship, date, available, taken;
  using K = ColumnKind;
  OCG_RETURN_IF_ERROR(CopyColumns(
      rs, {{"PROGRAM_CARGA_ID", &id, K::kNumber}, {"NUM_PROGRAMACAO", &number, K::kText}}));
  OCG_RETURN_IF_ERROR(ReadField(rs, "TON_P_ESCOAR", to_ship));
  if (!existing_order) {
    OCG_RETURN_IF_ERROR(formatador.Formata_Valor(to_ship, available));
    OCG_RETURN_IF_ERROR(CopyColumns(rs, {{"DATA_DISPON", &date, K::kText}}));
    OCG_RETURN_IF_ERROR(formatador.Formata_Valor(Value::Int32(0), taken));
  } else {
    Value loaded;
    OCG_RETURN_IF_ERROR(ReadField(rs, "TON_CARREGADA", loaded));
    OCG_ASSIGN_OR_RETURN(double a, gTrata_Numero(to_ship).ToDouble());
    OCG_ASSIGN_OR_RETURN(double b, gTrata_Numero(loaded).ToDouble());
    OCG_RETURN_IF_ERROR(formatador.Formata_Valor(Value::Double(a + b), available));
    OCG_RETURN_IF_ERROR(CopyColumns(rs, {{"DATA_DISPON", &date, K::kText}}));
    OCG_RETURN_IF_ERROR(formatador.Formata_Valor(loaded, taken));
  }
  out.ids.push_back(std::move(id));
  out.numbers.push_back(std::move(number));
  out.available.push_back(std::move(available));
  out.dates.push_back(std::move(date));
  out.taken.push_back(std::move(taken));
  return Status();
}

// Orders the entries by ascending identifier, equal ones keeping their order,
// as the exchange sort the list has always used; a stable sort of positions
// gives the same order in O(n log n), so long lists cost the same per
// programme. A list already in order (the procedure's) is left as it is.
void SortById(Listing& l) {
  auto less = [&l](size_t a, size_t b) {
    std::optional<int> order = Value::Compare(l.ids[a], l.ids[b]);
    return order.has_value() && *order < 0;
  };
  std::vector<size_t> order(l.ids.size());
  std::iota(order.begin(), order.end(), size_t{0});
  if (std::is_sorted(order.begin(), order.end(), less)) return;
  std::stable_sort(order.begin(), order.end(), less);
  for (std::vector<Value>* column : l.Columns()) {
    std::vector<Value> sorted;
    sorted.reserve(order.size());
    for (size_t i : order) sorted.push_back(std::move((*column)[i]));
    *column = std::move(sorted);
  }
}

}  // namespace

Value Ocg::gBusca_Ton_Prog(Value& invntCliente_id, Value& invntDestinatario_id,
                           Value& invntponto_operacao_id, Value& outarrvntProgram_Carga_id,
                           Value& outarrvntNum_Programacao, Value& outarrvntTon_P_Escoar,
                           Value& outarrvntData_Disponivel, Value& outvntMsg_Ret,
                           Value& outVntTam_Arr, Value& vntConecta_db, Value& inVntBanco_Dados,
                           Value& invntUsuario_internet_id, Value& OutArrVntTon_Carregada,
                           Value& InVntDocto_Transporte_ID) {
  const Trap trap{kListSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    // The stored procedure learns the order, and that the list asks, from the
    // session (see its script).
    SetContextOrder(ContextOrder(InVntDocto_Transporte_ID));
    RecordSet rs;
    bool opened = false;
    OCG_RETURN_IF_ERROR(OpenOffer(inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                                  invntCliente_id, invntDestinatario_id, invntponto_operacao_id,
                                  InVntDocto_Transporte_ID, strSQL, outvntMsg_Ret, rs, &opened,
                                  &mVerifica_Lista_Programacao_Utilizada));
    if (!opened) return Status();
    // A new order lists every row; an existing one each programme once, with
    // the first row of the programme (the one with the order's own take).
    const bool existing = AboveZero(InVntDocto_Transporte_ID);
    Listing listing;
    for (std::vector<Value>* column : listing.Columns()) column->reserve(rs.RecordCount());
    DistinctProgrammes seen;
    for (; !rs.Eof(); rs.MoveNext()) {
      if (existing) {
        OCG_ASSIGN_OR_RETURN(Value id, rs.Field("PROGRAM_CARGA_ID"));
        if (!seen.Add(gTrata_Numero(id))) continue;
      }
      OCG_RETURN_IF_ERROR(AddEntry(rs, existing, listing));
    }
    rs.Close();
    SortById(listing);

    outVntTam_Arr = Value::Int32(static_cast<int32_t>(listing.ids.size()));
    outarrvntProgram_Carga_id = Value::Array(std::move(listing.ids));
    outarrvntNum_Programacao = Value::Array(std::move(listing.numbers));
    outarrvntTon_P_Escoar = Value::Array(std::move(listing.available));
    outarrvntData_Disponivel = Value::Array(std::move(listing.dates));
    OutArrVntTon_Carregada = Value::Array(std::move(listing.taken));
    result = ValueOk();
    return Status();
  });
}

}  // namespace ocg
