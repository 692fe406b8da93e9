-- sp_zor_con_geral_ocg.sql: a person and its first address, by tax number.
-- params: num varchar, indic varchar
-- Result, one of (the same columns and values as the Oracle path's statement):
--   INDIC_PJ_PF, CNPJ_CPF, NOME_FANTASIA, ENDERECO, MUNICIPIO,
--     ENDERECO_PESSOA_ID, PESSOA_ID, MUNICIPIO_ID, RETORNO (0): the person's
--     addresses, the first one first; no row when nothing matches;
--   RETORNO 10 alone: indic is neither 'PJ' nor 'PF'. The kind is compared
--     case-sensitively, so 'pj' is refused; the caller cannot read the data
--     columns from such a row.
-- As on the Oracle path: the kind PJ searches the CNPJ (PJ_CGC), PF the CPF
-- (PF_CPF), each as typed (dots, slashes and dashes included) and in upper
-- case; only an active person with an active address of type 2 or 4 is
-- found, type 2 first.
SELECT INDICATIVO_PF_PJ AS INDIC_PJ_PF,
       CASE :indic WHEN 'PJ' THEN PJ_CGC ELSE PF_CPF END AS CNPJ_CPF,
       NOME_FANTASIA AS NOME_FANTASIA,
       ENDERECO AS ENDERECO,
       MUNICIPIO AS MUNICIPIO,
       ENDERECO_PESSOA_ID AS ENDERECO_PESSOA_ID,
       PESSOA_ID AS PESSOA_ID,
       MUNICIPIO_ID AS MUNICIPIO_ID,
       0 AS RETORNO
  FROM VENDERECO_PESSOA
 WHERE ((:indic = 'PJ' AND PJ_CGC = UPPER(:num)) OR (:indic = 'PF' AND PF_CPF = UPPER(:num)))
   AND TAB_STATUS_ID_PES = 1
   AND TAB_STATUS_ID_END = 1
   AND TAB_TIPO_ENDERECO_ID IN (2, 4)
 ORDER BY TAB_TIPO_ENDERECO_ID;

SELECT 10 AS RETORNO
  FROM INFRA_IDS
 WHERE :indic IS NULL OR :indic NOT IN ('PJ', 'PF');
