-- sp_032_zor_dup_docto_transp2.sql: how many other active collection orders of
-- a type at an operating point already carry a number.
-- params: num_docto int, docto_id int, tipo_docto int, ponto int
-- Result: one row, CONTADOR (0 when the number is free).
-- The call passes the number first, as quoted text
-- ("EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 '150', 2, 9, 1"), which the int
-- parameter converts as a server does: ' 150' and '150' are the same number,
-- '' is 0, and '150abc' or '1.5' is refused (8114), as the Oracle path
-- refuses a number that is not a 32-bit whole number. Only status 1
-- counts. docto_id is the order being altered, which does not count against
-- itself; null (a new order) excludes nothing.
-- As on the Oracle path, a value that reads as 0 (null, empty, not a number)
-- matches orders where that column is null, and with no number the order
-- itself is not excluded: an empty number counts the unnumbered orders.
WITH ARGS AS (
  SELECT NULLIF(:num_docto, 0) AS NUM,
         NULLIF(:docto_id, 0) AS DOCTO_ID,
         NULLIF(:tipo_docto, 0) AS TIPO,
         NULLIF(:ponto, 0) AS PONTO
)
SELECT COUNT(*) AS CONTADOR
  FROM DOCTO_TRANSPORTE AS D, ARGS AS A
 WHERE D.NUM_DOCTO_TRANSPORTE IS A.NUM
   AND D.TAB_TIPO_DOCTO_TRANSP_ID IS A.TIPO
   AND D.PONTO_OPERACAO_ID IS A.PONTO
   AND (A.NUM IS NULL OR D.DOCTO_TRANSPORTE_ID IS NOT A.DOCTO_ID)
   AND D.TAB_STATUS_ID = 1;
