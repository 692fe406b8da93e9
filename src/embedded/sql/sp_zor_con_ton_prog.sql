-- sp_zor_con_ton_prog.sql: the load programmes on offer to a collection order
-- of a customer, destination person and operating point.
-- params: cliente int, destinatario int, ponto int
-- Result columns, as the Oracle path's statements: PROGRAM_CARGA_ID,
--   NUM_PROGRAMACAO, TON_P_ESCOAR, DATA_DISPON ('DD/MM/YYYY'), TON_PROGRAMADA,
--   TON_CARREGADA, LIMITE_PROGR_CARGA (the operating point's).
-- A programme is open while it has tonnage to ship (null reads 0) and its
-- status is neither 2 (cancelled) nor 502 (closed); a null status counts as
-- 0. An identifier of 0 or null matches programmes where that column is null,
-- as the Oracle path's " is null" does.
-- The call names no order. Two facts come from the session instead:
--   ocg_context('order')      the order the running operation works on (the
--                             order being altered, checked or listed); NULL
--                             for a new order
--   ocg_context('operation')  'gBusca_Ton_Prog' when the order screen's list
--                             asks; any other operation reads the offer
-- The offer (the spread check, the bookings of a creation or an alteration):
--   the open programmes, and those the order is linked to whatever their
--   tonnage or status (a programme closed since the order booked on it stays
--   on its offer), one row per programme in ascending identifier, each with
--   its own TON_CARREGADA, from which the bookings compute.
-- The list: the same programmes, with the order's own take as TON_CARREGADA
--   (its link's ULTIMA_TON_PROGR; 0 on an open programme's row), largest
--   first, so that the first row of a programme carries the order's take. For
--   a new order the open programmes carry their own TON_CARREGADA, united with
--   links that name no order.
SELECT P.PROGRAM_CARGA_ID AS PROGRAM_CARGA_ID,
       P.NUM_PROGRAMACAO AS NUM_PROGRAMACAO,
       P.TON_P_ESCOAR AS TON_P_ESCOAR,
       TO_CHAR(P.DATA_DISPON, 'DD/MM/YYYY') AS DATA_DISPON,
       P.TON_PROGRAMADA AS TON_PROGRAMADA,
       P.TON_CARREGADA AS TON_CARREGADA,
       PO.LIMITE_PROGR_CARGA AS LIMITE_PROGR_CARGA
  FROM PROGRAM_CARGA AS P
  JOIN PONTO_OPERACAO AS PO ON PO.PONTO_OPERACAO_ID = P.PONTO_OPERACAO_ID
 WHERE ocg_context('operation') IS NOT 'gBusca_Ton_Prog'
   AND P.CLIENTE_ID IS NULLIF(:cliente, 0)
   AND P.DESTINATARIO_ID IS NULLIF(:destinatario, 0)
   AND P.PONTO_OPERACAO_ID IS NULLIF(:ponto, 0)
   AND COALESCE(P.TON_P_ESCOAR, 0) > 0
   AND COALESCE(P.TAB_STATUS_ID, 0) NOT IN (2, 502)
UNION
SELECT P.PROGRAM_CARGA_ID, P.NUM_PROGRAMACAO, P.TON_P_ESCOAR,
       TO_CHAR(P.DATA_DISPON, 'DD/MM/YYYY'), P.TON_PROGRAMADA, P.TON_CARREGADA,
       PO.LIMITE_PROGR_CARGA
  FROM PROGRAM_CARGA AS P
  JOIN PONTO_OPERACAO AS PO ON PO.PONTO_OPERACAO_ID = P.PONTO_OPERACAO_ID
  JOIN HIST_PROGR_ESCOAM AS H ON H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID
 WHERE ocg_context('operation') IS NOT 'gBusca_Ton_Prog'
   AND H.DOCTO_TRANSPORTE_ID = ocg_context('order')
 ORDER BY PROGRAM_CARGA_ID;

SELECT P.PROGRAM_CARGA_ID AS PROGRAM_CARGA_ID,
       P.NUM_PROGRAMACAO AS NUM_PROGRAMACAO,
       P.TON_P_ESCOAR AS TON_P_ESCOAR,
       TO_CHAR(P.DATA_DISPON, 'DD/MM/YYYY') AS DATA_DISPON,
       P.TON_PROGRAMADA AS TON_PROGRAMADA,
       CASE WHEN ocg_context('order') IS NULL THEN P.TON_CARREGADA ELSE 0 END AS TON_CARREGADA,
       PO.LIMITE_PROGR_CARGA AS LIMITE_PROGR_CARGA
  FROM PROGRAM_CARGA AS P
  JOIN PONTO_OPERACAO AS PO ON PO.PONTO_OPERACAO_ID = P.PONTO_OPERACAO_ID
 WHERE ocg_context('operation') IS 'gBusca_Ton_Prog'
   AND P.CLIENTE_ID IS NULLIF(:cliente, 0)
   AND P.DESTINATARIO_ID IS NULLIF(:destinatario, 0)
   AND P.PONTO_OPERACAO_ID IS NULLIF(:ponto, 0)
   AND COALESCE(P.TON_P_ESCOAR, 0) > 0
   AND COALESCE(P.TAB_STATUS_ID, 0) NOT IN (2, 502)
UNION
SELECT P.PROGRAM_CARGA_ID, P.NUM_PROGRAMACAO, P.TON_P_ESCOAR,
       TO_CHAR(P.DATA_DISPON, 'DD/MM/YYYY'), P.TON_PROGRAMADA, H.ULTIMA_TON_PROGR,
       PO.LIMITE_PROGR_CARGA
  FROM PROGRAM_CARGA AS P
  JOIN PONTO_OPERACAO AS PO ON PO.PONTO_OPERACAO_ID = P.PONTO_OPERACAO_ID
  JOIN HIST_PROGR_ESCOAM AS H ON H.PROGRAM_CARGA_ID = P.PROGRAM_CARGA_ID
 WHERE ocg_context('operation') IS 'gBusca_Ton_Prog'
   AND H.DOCTO_TRANSPORTE_ID IS ocg_context('order')
 ORDER BY TON_CARREGADA DESC;
