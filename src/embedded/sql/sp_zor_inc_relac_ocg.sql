-- sp_zor_inc_relac_ocg.sql: links an order to a load programme with the
-- tonnage it took, as the Oracle path's link insert does.
-- params: docto_id int, prog_id int, ton_baixa float
-- Result: one row, RETORNO 0 and MSG_RET ''. The key comes from INFRA_IDS;
-- a take-off of 0 is stored as null.
UPDATE INFRA_IDS SET HIST_PROGR_ESCOAM_ID = HIST_PROGR_ESCOAM_ID + 1;
INSERT INTO HIST_PROGR_ESCOAM (HIST_PROGR_ESCOAM_ID, DOCTO_TRANSPORTE_ID, PROGRAM_CARGA_ID,
                               ULTIMA_TON_PROGR)
SELECT HIST_PROGR_ESCOAM_ID, NULLIF(:docto_id, 0), NULLIF(:prog_id, 0), NULLIF(:ton_baixa, 0)
  FROM INFRA_IDS;
SELECT 0 AS RETORNO, '' AS MSG_RET FROM INFRA_IDS;
