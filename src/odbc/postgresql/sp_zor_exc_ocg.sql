-- sp_zor_exc_ocg.sql: deletes a collection order as the Oracle path does:
-- status 2, its sales order open again, its displacement detached from the
-- sales order's items. One row, RETORNO 0.
CREATE FUNCTION sp_zor_exc_ocg(p_docto_id integer)
  RETURNS SETOF json LANGUAGE plpgsql AS $$
BEGIN
  UPDATE docto_transporte SET tab_status_id = 2 WHERE docto_transporte_id = p_docto_id;
  UPDATE pedido SET flag_ped_item_aberto = 'S'
   WHERE pedido_id IN (SELECT pedido_id FROM docto_transporte
                        WHERE docto_transporte_id = p_docto_id);
  UPDATE pedido_item SET deslocamento_id = NULL
   WHERE deslocamento_id IN (SELECT deslocamento_id FROM desloc_docto_transp
                              WHERE docto_transporte_id = p_docto_id);
  RETURN QUERY SELECT row_to_json(r) FROM (SELECT 0 AS retorno, '' AS msg_ret FROM infra_ids) AS r;
END
$$;
