-- sp_zor_inclui_parametro_job.sql: stores a job's parameter text and its
-- system-log row. One row: Retorno 0, Msg_Ret ''.
CREATE FUNCTION sp_zor_inclui_parametro_job(p_job_id integer, p_texto_parametro varchar,
                                            p_usuario integer)
  RETURNS SETOF json LANGUAGE plpgsql AS $$
BEGIN
  UPDATE log_gerador SET txt_query = p_texto_parametro WHERE log_gerador_id = p_job_id;
  UPDATE infra_ids SET log_sistema_id = log_sistema_id + 1;
  INSERT INTO log_sistema (log_sistema_id, tabela_sistema_id, tab_tipo_acao_id, usuario_id,
                           registro_id, data_log)
  SELECT log_sistema_id, 490, 1, NULLIF(p_usuario, 0), NULLIF(p_job_id, 0), GETDATE()
    FROM infra_ids;
  RETURN QUERY SELECT row_to_json(r) FROM (SELECT 0 AS retorno, '' AS msg_ret FROM infra_ids) AS r;
END
$$;
