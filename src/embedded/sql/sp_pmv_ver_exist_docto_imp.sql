-- sp_pmv_ver_exist_docto_imp.sql: how many documents of a type at an operating
-- point already carry a number in a range, before the range is printed or
-- handed out.
-- params: num_ini float, num_fim float, tipo_docto float, ponto float
-- Result: one row, QUANTIDADE (0 when the range is free).
-- As on the Oracle path:
--   * the range is inclusive at both ends (num_ini <= n < num_fim + 1);
--   * documents in status 1 (active) and 2 (deleted) count: a deleted
--     document's number stays used; any other status does not count;
--   * a null number reads as 0; a null or 0 type matches documents without a
--     type; a null point reads as 0, which no point has;
--   * every parameter is a float, as the Oracle statement compares any number
--     it is given (1E+20 matches nothing rather than overflowing).
WITH ARGS AS (
  SELECT COALESCE(:num_ini, 0) AS NUM_INI,
         COALESCE(:num_fim, 0) AS NUM_FIM,
         NULLIF(:tipo_docto, 0) AS TIPO,
         COALESCE(:ponto, 0) AS PONTO
)
SELECT COUNT(*) AS QUANTIDADE
  FROM DOCTO_TRANSPORTE AS D, ARGS AS A
 WHERE D.TAB_TIPO_DOCTO_TRANSP_ID IS A.TIPO
   AND D.NUM_DOCTO_TRANSPORTE >= A.NUM_INI
   AND D.NUM_DOCTO_TRANSPORTE < A.NUM_FIM + 1
   AND D.TAB_STATUS_ID IN (1, 2)
   AND D.PONTO_OPERACAO_ID = A.PONTO;
