-- sp_zor_con_ult_ton_prog.sql: the link of a collection order to a load
-- programme, with the tonnage the order last took from it.
-- params: prog_id int
-- Result: the link's HIST_PROGR_ESCOAM_ID and ULTIMA_TON_PROGR (null when the
--   order took 0); no row when the order has no link to the programme.
-- The call names only the programme; the order is the one the running
-- operation works on, read from the session (ocg_context('order'): the order
-- being altered or checked). Without an order, or for a programme of 0 or
-- null, it compares with null, as the Oracle path's " is null" does, and
-- finds only links that name no order or no programme.
SELECT HIST_PROGR_ESCOAM_ID, ULTIMA_TON_PROGR
  FROM HIST_PROGR_ESCOAM
 WHERE PROGRAM_CARGA_ID IS NULLIF(:prog_id, 0)
   AND DOCTO_TRANSPORTE_ID IS ocg_context('order')
 ORDER BY HIST_PROGR_ESCOAM_ID;
