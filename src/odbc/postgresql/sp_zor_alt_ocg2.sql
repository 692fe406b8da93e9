-- sp_zor_alt_ocg2.sql: rewrites a collection order, as the bundled procedure
-- of the same name does (its header gives the rules): issued now, generator
-- and sender again (the carrier's address also when the stored order has a
-- route; the group is that of the customer stored before the update), the
-- sales order's external number from the customer's document number. One
-- row, RETORNO 0 and MSG_RET '', unless the sender has no active address:
-- then no row, and nothing is written. An order that is not there changes
-- nothing and still answers.
CREATE FUNCTION sp_zor_alt_ocg2(p_docto_id integer, p_cliente integer, p_ponto integer,
                                p_end_destinatario integer, p_municipio integer,
                                p_n_docto_cliente varchar, p_n_docto_transp integer,
                                p_data_prev timestamp, p_veiculo integer, p_colaborador integer,
                                p_fornecedor integer, p_local_carreg varchar,
                                p_peso double precision, p_txt_embalagem varchar,
                                p_flag_ademe varchar, p_tipo_responsavel integer,
                                p_tipo_emergencia integer, p_obs1 varchar)
  RETURNS SETOF json LANGUAGE plpgsql AS $$
DECLARE
  stored docto_transporte%ROWTYPE;
  sender integer;
BEGIN
  SELECT * INTO stored FROM docto_transporte WHERE docto_transporte_id = p_docto_id;
  SELECT v.endereco_pessoa_id INTO sender
    FROM vendereco_pessoa AS v
   WHERE v.tab_status_id_end = 1 AND v.tab_status_id_pes = 1
     AND v.pessoa_id =
         CASE WHEN (SELECT c.grupo_cliente_id FROM cliente AS c
                     WHERE c.pessoa_id = stored.cliente_id) = 32
                   AND (COALESCE(p_tipo_emergencia, 0) > 0 OR COALESCE(stored.rota_id, 0) > 0)
              THEN p_fornecedor ELSE p_cliente END
   ORDER BY v.tab_tipo_endereco_id, v.endereco_pessoa_id LIMIT 1;
  IF sender IS NULL THEN
    RETURN;
  END IF;
  RETURN QUERY SELECT row_to_json(r) FROM (SELECT 0 AS retorno, '' AS msg_ret FROM infra_ids) AS r;
  IF stored.docto_transporte_id IS NULL THEN
    RETURN;
  END IF;
  UPDATE docto_transporte
     SET end_remetente_id = sender,
         cliente_id = NULLIF(p_cliente, 0),
         ponto_operacao_id = NULLIF(p_ponto, 0),
         data_emissao = GETDATE(),
         end_destinatario_id = NULLIF(p_end_destinatario, 0),
         destino_id = NULLIF(p_municipio, 0),
         data_prev_carregamento = p_data_prev,
         veiculo_fornecedor_id = NULLIF(p_veiculo, 0),
         colaborador_id = NULLIF(p_colaborador, 0),
         fornecedor_id = NULLIF(p_fornecedor, 0),
         local_carreg = UPPER(p_local_carreg),
         peso_previsto = NULLIF(p_peso, 0),
         txt_embalagem = UPPER(p_txt_embalagem),
         observ1 = CASE WHEN TRIM(p_obs1) <> '' THEN UPPER(p_obs1) END,
         num_docto_transporte = NULLIF(p_n_docto_transp, 0),
         flag_ademe = UPPER(p_flag_ademe),
         tab_tipo_responsavel_id = NULLIF(p_tipo_responsavel, 0),
         tab_tipo_emergencia_id = NULLIF(p_tipo_emergencia, 0),
         gerador_transporte_id =
           NULLIF(CASE p_tipo_responsavel
                    WHEN 1 THEN 1
                    WHEN 2 THEN p_cliente
                    WHEN 3 THEN (SELECT pessoa_id FROM endereco_pessoa
                                  WHERE endereco_pessoa_id = p_end_destinatario
                                    AND tab_status_id = 1)
                  END, 0)
   WHERE docto_transporte_id = p_docto_id;
  UPDATE pedido SET num_pedido_externo = COALESCE(UPPER(p_n_docto_cliente), '0')
   WHERE pedido_id = stored.pedido_id;
END
$$;
