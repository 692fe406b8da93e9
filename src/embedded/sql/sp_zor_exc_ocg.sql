-- sp_zor_exc_ocg.sql: deletes an order as the Oracle path does: the order
-- goes to status 2 (its row stays), its sales order is flagged as having
-- open items again, and its displacements are detached from the sales
-- order's items.
-- params: docto_id int
-- Result: one row, RETORNO 0 and MSG_RET '' (the caller does not read it).
UPDATE DOCTO_TRANSPORTE SET TAB_STATUS_ID = 2 WHERE DOCTO_TRANSPORTE_ID = :docto_id;
UPDATE PEDIDO SET FLAG_PED_ITEM_ABERTO = 'S'
 WHERE PEDIDO_ID IN (SELECT PEDIDO_ID FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = :docto_id);
UPDATE PEDIDO_ITEM SET DESLOCAMENTO_ID = NULL
 WHERE DESLOCAMENTO_ID IN (SELECT DESLOCAMENTO_ID FROM DESLOC_DOCTO_TRANSP
                            WHERE DOCTO_TRANSPORTE_ID = :docto_id);
SELECT 0 AS RETORNO, '' AS MSG_RET FROM INFRA_IDS;
