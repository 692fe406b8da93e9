-- sp_zor_exc_relac_ocg.sql: deletes an order's programme links.
-- params: docto_id int
-- Result: one row, RETORNO 0 and MSG_RET '' (the caller does not read it).
DELETE FROM HIST_PROGR_ESCOAM WHERE DOCTO_TRANSPORTE_ID = :docto_id;
SELECT 0 AS RETORNO, '' AS MSG_RET FROM INFRA_IDS;
