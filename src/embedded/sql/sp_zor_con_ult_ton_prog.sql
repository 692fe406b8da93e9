-- sp_zor_con_ult_ton_prog.sql: the link of a collection order to a load
-- programme, with the tonnage the order last took from it.
-- params: prog_id int
-- Result: at most one row, HIST_PROGR_ESCOAM_ID and ULTIMA_TON_PROGR (null
--   when the order took 0).
-- The caller wants the link of the order it is altering, but the call names
-- only the programme. Of the programme's links this returns the most recent
-- one: an alteration rewrites its order's links, so the most recent link is
-- that of the order last created or altered on the programme, which is the
-- order being corrected in the usual case of fixing an order just entered.
-- When several orders draw from one programme only the Oracle path, which is
-- told the order, can tell their links apart. A programme of 0 or null has no
-- links.
SELECT HIST_PROGR_ESCOAM_ID, ULTIMA_TON_PROGR
  FROM HIST_PROGR_ESCOAM
 WHERE PROGRAM_CARGA_ID = :prog_id
 ORDER BY HIST_PROGR_ESCOAM_ID DESC
 LIMIT 1;
