-- sp_zor_con_flag_progr.sql: whether a customer's orders draw on load
-- programmes.
-- params: cliente int
-- Result: FLAG_PROGRAM_CARGA of the customer's active customer record, as
-- stored ('S', 'N' or null); no row when the customer has no active record.
-- A null or 0 customer finds nothing.
SELECT FLAG_PROGRAM_CARGA AS FLAG_PROGRAM_CARGA
  FROM CLIENTE
 WHERE PESSOA_ID = :cliente
   AND TAB_STATUS_ID = 1;
