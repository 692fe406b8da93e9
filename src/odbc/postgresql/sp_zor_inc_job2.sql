-- sp_zor_inc_job2.sql: registers a job in LOG_GERADOR (key from INFRA_IDS)
-- and its system-log row. One row: Retorno 0, Msg_Ret '' and the new
-- LOG_GERADOR_ID. usuario_pedido is accepted and not stored.
CREATE FUNCTION sp_zor_inc_job2(p_usuario integer, p_funcao integer, p_titulo varchar,
                                p_flag varchar, p_usuario_pedido integer, p_texto varchar,
                                p_destinatario varchar, p_status integer, p_remetente varchar,
                                p_anexo varchar, p_data_inicio timestamp)
  RETURNS SETOF json LANGUAGE plpgsql AS $$
BEGIN
  UPDATE infra_ids SET log_gerador_id = log_gerador_id + 1;
  INSERT INTO log_gerador (log_gerador_id, usuario_internet_id, funcao_id, titulo_email,
                           flag_envia_email, texto_email, endereco_email, tab_status_job_id,
                           data_inicio, email_remetente, endereco_anexo)
  SELECT log_gerador_id, NULLIF(p_usuario, 0), NULLIF(p_funcao, 0), p_titulo, p_flag, p_texto,
         p_destinatario, NULLIF(p_status, 0), p_data_inicio, p_remetente, p_anexo
    FROM infra_ids;
  UPDATE infra_ids SET log_sistema_id = log_sistema_id + 1;
  INSERT INTO log_sistema (log_sistema_id, tabela_sistema_id, tab_tipo_acao_id, usuario_id,
                           registro_id, data_log)
  SELECT log_sistema_id, 490, 1, NULLIF(p_usuario, 0), log_gerador_id, GETDATE()
    FROM infra_ids;
  RETURN QUERY SELECT row_to_json(r)
    FROM (SELECT 0 AS retorno, '' AS msg_ret, log_gerador_id FROM infra_ids) AS r;
END
$$;
