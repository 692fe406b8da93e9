-- sp_zor_con_veic_ocg.sql: a vehicle's owner, the owner's name, the vehicle
-- type's load capacity and the vehicle's identifier, for the order screen.
-- params: veiculo_id int
-- Result, one of (the same columns and values as the Oracle path's statement):
--   RETORNO 0, PROPRIETARIO_ID, PROPRIETARIO, CAPACIDADE_KG,
--     VEICULO_FORNECEDOR_ID: the owner found;
--   RETORNO 10, MSG_RETORNO: the vehicle has neither a collaborator nor a
--     supplier and is not of the own fleet (a vehicle that does not exist has
--     neither);
--   no row: the vehicle, or its owner's record, is inactive.
-- The owner is, in this order of precedence:
--   * the company itself (person 1) for the own fleet (ownership type 1),
--     whatever the vehicle's status;
--   * the collaborator, when the vehicle and the collaborator record are both
--     active;
--   * the supplier, likewise.
-- A vehicle without a type has a null capacity. Missing keys read as 0. A
-- vehicle whose collaborator or supplier key is negative fits no rule and is
-- answered with its keys (COLAB_ID, FORN_ID, TAB_TIPO_PROP_VEICULO_ID), as the
-- Oracle path hands back its read of the vehicle.
WITH CHAVE AS (
  SELECT COALESCE(MAX(COLABORADOR_ID), 0) AS COLAB,
         COALESCE(MAX(FORNECEDOR_ID), 0) AS FORN,
         COALESCE(MAX(TAB_TIPO_PROP_VEICULO_ID), 0) AS PROP
    FROM VEICULO_FORNECEDOR
   WHERE VEICULO_FORNECEDOR_ID = :veiculo_id
)
SELECT 0 AS RETORNO,
       1 AS PROPRIETARIO_ID,
       'TARVOSA TRANSPORTES E SERVIÇOS' AS PROPRIETARIO,
       T.CAPACIDADE_KG AS CAPACIDADE_KG,
       VF.VEICULO_FORNECEDOR_ID AS VEICULO_FORNECEDOR_ID
  FROM CHAVE AS K
  JOIN VEICULO_FORNECEDOR AS VF ON VF.VEICULO_FORNECEDOR_ID = :veiculo_id
  LEFT JOIN TAB_TIPO_VEICULO AS T ON T.TAB_TIPO_VEICULO_ID = VF.TAB_TIPO_VEICULO_ID
 WHERE K.PROP = 1
UNION ALL
SELECT 0, VF.COLABORADOR_ID, C.NOME_FANTASIA, T.CAPACIDADE_KG, VF.VEICULO_FORNECEDOR_ID
  FROM CHAVE AS K
  JOIN VEICULO_FORNECEDOR AS VF ON VF.VEICULO_FORNECEDOR_ID = :veiculo_id
  JOIN VCOLABORADOR AS C ON C.COLABORADOR_ID = VF.COLABORADOR_ID
  LEFT JOIN TAB_TIPO_VEICULO AS T ON T.TAB_TIPO_VEICULO_ID = VF.TAB_TIPO_VEICULO_ID
 WHERE K.PROP <> 1 AND K.COLAB > 0
   AND VF.TAB_STATUS_ID = 1 AND C.TAB_STATUS_ID = 1
UNION ALL
SELECT 0, VF.FORNECEDOR_ID, F.NOME_FANTASIA, T.CAPACIDADE_KG, VF.VEICULO_FORNECEDOR_ID
  FROM CHAVE AS K
  JOIN VEICULO_FORNECEDOR AS VF ON VF.VEICULO_FORNECEDOR_ID = :veiculo_id
  JOIN VFORNECEDOR AS F ON F.FORNECEDOR_ID = VF.FORNECEDOR_ID
  LEFT JOIN TAB_TIPO_VEICULO AS T ON T.TAB_TIPO_VEICULO_ID = VF.TAB_TIPO_VEICULO_ID
 WHERE K.PROP <> 1 AND K.COLAB <= 0 AND K.FORN > 0
   AND VF.TAB_STATUS_ID = 1 AND F.TAB_STATUS_ID = 1;

SELECT 10 AS RETORNO,
       'ESSE VEÍCULO NÃO POSSUI NENHUM FORNECEDOR_ID NEM COLABORADOR_ID.' AS MSG_RETORNO
  FROM INFRA_IDS
 WHERE NOT EXISTS (SELECT 1
                     FROM VEICULO_FORNECEDOR
                    WHERE VEICULO_FORNECEDOR_ID = :veiculo_id
                      AND (COALESCE(TAB_TIPO_PROP_VEICULO_ID, 0) = 1
                           OR COALESCE(COLABORADOR_ID, 0) <> 0
                           OR COALESCE(FORNECEDOR_ID, 0) <> 0));

SELECT COLABORADOR_ID AS COLAB_ID,
       FORNECEDOR_ID AS FORN_ID,
       TAB_TIPO_PROP_VEICULO_ID AS TAB_TIPO_PROP_VEICULO_ID
  FROM VEICULO_FORNECEDOR
 WHERE VEICULO_FORNECEDOR_ID = :veiculo_id
   AND COALESCE(TAB_TIPO_PROP_VEICULO_ID, 0) <> 1
   AND COALESCE(COLABORADOR_ID, 0) <= 0 AND COALESCE(FORNECEDOR_ID, 0) <= 0
   AND NOT (COALESCE(COLABORADOR_ID, 0) = 0 AND COALESCE(FORNECEDOR_ID, 0) = 0);
