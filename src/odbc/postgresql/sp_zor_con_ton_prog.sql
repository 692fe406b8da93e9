-- sp_zor_con_ton_prog.sql: the load programmes on offer to a collection order
-- of a customer, destination person and operating point, as the bundled
-- procedure of the same name answers (its header says what each shape
-- holds). The order and the operation come from the call context
-- (docs/databases.md): the order screen's list (operation gBusca_Ton_Prog)
-- carries the order's own take as TON_CARREGADA, largest first (nulls last,
-- as the embedded engine sorts them); any other operation reads the offer,
-- with each programme's own TON_CARREGADA, in ascending identifier.
CREATE FUNCTION sp_zor_con_ton_prog(p_cliente integer, p_destinatario integer, p_ponto integer)
  RETURNS SETOF json LANGUAGE plpgsql STABLE AS $$
BEGIN
  IF ocg_context('operation') IS NOT DISTINCT FROM 'gBusca_Ton_Prog' THEN
    RETURN QUERY SELECT row_to_json(r) FROM (
      SELECT p.program_carga_id, p.num_programacao, p.ton_p_escoar,
             TO_CHAR(p.data_dispon, 'DD/MM/YYYY') AS data_dispon, p.ton_programada,
             CASE WHEN ocg_order() IS NULL THEN p.ton_carregada ELSE 0 END AS ton_carregada,
             po.limite_progr_carga
        FROM program_carga AS p
        JOIN ponto_operacao AS po ON po.ponto_operacao_id = p.ponto_operacao_id
       WHERE p.cliente_id IS NOT DISTINCT FROM NULLIF(p_cliente, 0)
         AND p.destinatario_id IS NOT DISTINCT FROM NULLIF(p_destinatario, 0)
         AND p.ponto_operacao_id IS NOT DISTINCT FROM NULLIF(p_ponto, 0)
         AND COALESCE(p.ton_p_escoar, 0) > 0
         AND COALESCE(p.tab_status_id, 0) NOT IN (2, 502)
      UNION
      SELECT p.program_carga_id, p.num_programacao, p.ton_p_escoar,
             TO_CHAR(p.data_dispon, 'DD/MM/YYYY'), p.ton_programada, h.ultima_ton_progr,
             po.limite_progr_carga
        FROM program_carga AS p
        JOIN ponto_operacao AS po ON po.ponto_operacao_id = p.ponto_operacao_id
        JOIN hist_progr_escoam AS h ON h.program_carga_id = p.program_carga_id
       WHERE h.docto_transporte_id IS NOT DISTINCT FROM ocg_order()
      ) AS r ORDER BY r.ton_carregada DESC NULLS LAST;
  ELSE
    RETURN QUERY SELECT row_to_json(r) FROM (
      SELECT p.program_carga_id, p.num_programacao, p.ton_p_escoar,
             TO_CHAR(p.data_dispon, 'DD/MM/YYYY') AS data_dispon, p.ton_programada,
             p.ton_carregada, po.limite_progr_carga
        FROM program_carga AS p
        JOIN ponto_operacao AS po ON po.ponto_operacao_id = p.ponto_operacao_id
       WHERE p.cliente_id IS NOT DISTINCT FROM NULLIF(p_cliente, 0)
         AND p.destinatario_id IS NOT DISTINCT FROM NULLIF(p_destinatario, 0)
         AND p.ponto_operacao_id IS NOT DISTINCT FROM NULLIF(p_ponto, 0)
         AND COALESCE(p.ton_p_escoar, 0) > 0
         AND COALESCE(p.tab_status_id, 0) NOT IN (2, 502)
      UNION
      SELECT p.program_carga_id, p.num_programacao, p.ton_p_escoar,
             TO_CHAR(p.data_dispon, 'DD/MM/YYYY'), p.ton_programada, p.ton_carregada,
             po.limite_progr_carga
        FROM program_carga AS p
        JOIN ponto_operacao AS po ON po.ponto_operacao_id = p.ponto_operacao_id
        JOIN hist_progr_escoam AS h ON h.program_carga_id = p.program_carga_id
       WHERE h.docto_transporte_id = ocg_order()
      ) AS r ORDER BY r.program_carga_id;
  END IF;
END
$$;
