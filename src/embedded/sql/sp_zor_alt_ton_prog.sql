-- sp_zor_alt_ton_prog.sql: sets a load programme's tonnage still to ship and
-- tonnage loaded, after a booking.
-- params: prog_id int, ton_p_escoar float, ton_carregada float
-- Result: none; the caller runs it for its effect.
-- The two tonnages are the new absolute values, computed by the caller from
-- the offer it read in the same transaction. As on the Oracle path, 0 is
-- stored as null, which every reader takes for 0, and a programme of 0 or
-- null changes nothing.
UPDATE PROGRAM_CARGA
   SET TON_P_ESCOAR = NULLIF(:ton_p_escoar, 0),
       TON_CARREGADA = NULLIF(:ton_carregada, 0)
 WHERE PROGRAM_CARGA_ID = :prog_id;
