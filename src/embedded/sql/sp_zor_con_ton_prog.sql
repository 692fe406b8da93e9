-- sp_zor_con_ton_prog.sql: the load programmes on offer to a collection order
-- of a customer, destination person and operating point.
-- params: cliente int, destinatario int, ponto int
-- Result: one row per programme, in ascending PROGRAM_CARGA_ID, with the
--   columns of the Oracle path's offer: PROGRAM_CARGA_ID, NUM_PROGRAMACAO,
--   TON_P_ESCOAR, DATA_DISPON ('DD/MM/YYYY'), TON_PROGRAMADA, TON_CARREGADA,
--   LIMITE_PROGR_CARGA (the operating point's).
-- As on the Oracle path, a programme is on offer while it has tonnage to ship
-- (null reads 0) and its status is neither 2 (cancelled) nor 502 (closed); a
-- null status counts as 0. An identifier of 0 or null matches programmes
-- where that column is null, as the Oracle path's " is null" does.
-- The call carries no order, so this is the offer to a new order, and:
--   * TON_CARREGADA is the programme's own loaded tonnage. Creation and
--     alteration book against it (new loaded = loaded + take-off), so it must
--     be. The order screen's list, asked for an existing order, reads this
--     column as the order's own take and adds it to what is available; only
--     the Oracle path, which is told the order, shows the order's share there.
--   * The programmes an existing order drew from but that have closed since
--     are not listed; the Oracle path adds them. Altering such an order here
--     asks the user to reload the order.
SELECT P.PROGRAM_CARGA_ID AS PROGRAM_CARGA_ID,
       P.NUM_PROGRAMACAO AS NUM_PROGRAMACAO,
       P.TON_P_ESCOAR AS TON_P_ESCOAR,
       TO_CHAR(P.DATA_DISPON, 'DD/MM/YYYY') AS DATA_DISPON,
       P.TON_PROGRAMADA AS TON_PROGRAMADA,
       P.TON_CARREGADA AS TON_CARREGADA,
       PO.LIMITE_PROGR_CARGA AS LIMITE_PROGR_CARGA
  FROM PROGRAM_CARGA AS P
  JOIN PONTO_OPERACAO AS PO ON PO.PONTO_OPERACAO_ID = P.PONTO_OPERACAO_ID
 WHERE P.CLIENTE_ID IS NULLIF(:cliente, 0)
   AND P.DESTINATARIO_ID IS NULLIF(:destinatario, 0)
   AND P.PONTO_OPERACAO_ID IS NULLIF(:ponto, 0)
   AND COALESCE(P.TON_P_ESCOAR, 0) > 0
   AND COALESCE(P.TAB_STATUS_ID, 0) NOT IN (2, 502)
 ORDER BY P.PROGRAM_CARGA_ID;
