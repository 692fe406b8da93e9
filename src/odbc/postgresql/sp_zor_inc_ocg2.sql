-- sp_zor_inc_ocg2.sql: creates a collection order, as the bundled procedure
-- of the same name does (its header gives the rules): the key from
-- INFRA_IDS, status 1, issued now, the generator by the responsible type,
-- the sender's first active address. One row, RETORNO 0, MSG_RET '' and the
-- new DOCTO_TRANSPORTE_ID; no row, and nothing written, when the sender has
-- no active address.
CREATE FUNCTION sp_zor_inc_ocg2(p_tipo integer, p_cliente integer, p_ponto integer,
                                p_end_destinatario integer, p_municipio integer,
                                p_n_docto_cliente varchar, p_n_docto_transp integer,
                                p_data_prev timestamp, p_veiculo integer, p_colaborador integer,
                                p_fornecedor integer, p_local_carreg varchar,
                                p_peso double precision, p_txt_embalagem varchar,
                                p_flag_ademe varchar, p_tipo_responsavel integer,
                                p_tipo_emergencia integer, p_obs1 varchar)
  RETURNS SETOF json LANGUAGE plpgsql AS $$
DECLARE
  sender integer;
BEGIN
  SELECT v.endereco_pessoa_id INTO sender
    FROM vendereco_pessoa AS v
   WHERE v.tab_status_id_end = 1 AND v.tab_status_id_pes = 1
     AND v.pessoa_id = CASE WHEN (SELECT grupo_cliente_id FROM cliente
                                   WHERE pessoa_id = p_cliente) = 32
                                 AND COALESCE(p_tipo_emergencia, 0) > 0
                            THEN p_fornecedor ELSE p_cliente END
   ORDER BY v.tab_tipo_endereco_id, v.endereco_pessoa_id LIMIT 1;
  IF sender IS NULL THEN
    RETURN;
  END IF;
  UPDATE infra_ids SET docto_transporte_id = docto_transporte_id + 1;
  INSERT INTO docto_transporte (
    docto_transporte_id, tab_status_id, tab_tipo_docto_transp_id, cliente_id, ponto_operacao_id,
    data_emissao, end_destinatario_id, destino_id, data_prev_carregamento, veiculo_fornecedor_id,
    colaborador_id, fornecedor_id, local_carreg, peso_previsto, txt_embalagem, observ1,
    num_docto_transporte, flag_ademe, tab_tipo_responsavel_id, tab_tipo_emergencia_id,
    gerador_transporte_id, pedido_id, end_remetente_id, empresa_id, veiculo_carreta_id)
  SELECT i.docto_transporte_id, 1, NULLIF(p_tipo, 0), NULLIF(p_cliente, 0), NULLIF(p_ponto, 0),
         GETDATE(), NULLIF(p_end_destinatario, 0), NULLIF(p_municipio, 0), p_data_prev,
         NULLIF(p_veiculo, 0), NULLIF(p_colaborador, 0), NULLIF(p_fornecedor, 0),
         UPPER(p_local_carreg), NULLIF(p_peso, 0), UPPER(p_txt_embalagem),
         CASE WHEN TRIM(p_obs1) <> '' THEN UPPER(p_obs1) END,
         NULLIF(p_n_docto_transp, 0), UPPER(p_flag_ademe), NULLIF(p_tipo_responsavel, 0),
         NULLIF(p_tipo_emergencia, 0),
         NULLIF(CASE p_tipo_responsavel
                  WHEN 1 THEN 1
                  WHEN 2 THEN p_cliente
                  WHEN 3 THEN (SELECT pessoa_id FROM endereco_pessoa
                                WHERE endereco_pessoa_id = p_end_destinatario
                                  AND tab_status_id = 1)
                END, 0),
         NULL, sender, 1, NULL
    FROM infra_ids AS i;
  RETURN QUERY SELECT row_to_json(r)
    FROM (SELECT 0 AS retorno, '' AS msg_ret, docto_transporte_id FROM infra_ids) AS r;
END
$$;
