-- sp_032_zor_dup_docto_transp2.sql: how many other active collection orders of
-- a type at an operating point already carry a number.
-- params: num_docto, docto_id, tipo_docto, ponto
-- Result: one row, CONTADOR (0 when the number is free).
-- The call passes the number first, as quoted text
-- ("EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 '150', 2, 9, 1"): it is compared as a
-- whole number, so ' 150' and '150' are the same number. Only status 1
-- counts. docto_id is the order being altered, which does not count against
-- itself; null (a new order) excludes nothing.
-- As on the Oracle path, a value that reads as 0 (null, empty, not a number)
-- matches orders where that column is null, and with no number the order
-- itself is not excluded: an empty number counts the unnumbered orders.
WITH ARGS AS (
  SELECT NULLIF(CAST(TRIM(:num_docto) AS INTEGER), 0) AS NUM,
         NULLIF(CAST(:docto_id AS INTEGER), 0) AS DOCTO_ID,
         NULLIF(CAST(:tipo_docto AS INTEGER), 0) AS TIPO,
         NULLIF(CAST(:ponto AS INTEGER), 0) AS PONTO
)
SELECT COUNT(*) AS CONTADOR
  FROM DOCTO_TRANSPORTE AS D, ARGS AS A
 WHERE D.NUM_DOCTO_TRANSPORTE IS A.NUM
   AND D.TAB_TIPO_DOCTO_TRANSP_ID IS A.TIPO
   AND D.PONTO_OPERACAO_ID IS A.PONTO
   AND (A.NUM IS NULL OR D.DOCTO_TRANSPORTE_ID IS NOT A.DOCTO_ID)
   AND D.TAB_STATUS_ID = 1;
