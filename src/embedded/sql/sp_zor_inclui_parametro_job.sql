-- sp_zor_inclui_parametro_job.sql: stores a job's parameter text, with its
-- system-log row (table 490, action 1), as the Oracle path does.
-- params: job_id int, texto_parametro varchar, usuario int
-- Result: one row, Retorno 0 and Msg_Ret ''. As on the Oracle path, a job
-- that does not exist changes nothing and is not refused; the text is stored
-- as given (the Oracle path upper-cases it).
UPDATE LOG_GERADOR SET TXT_QUERY = :texto_parametro WHERE LOG_GERADOR_ID = :job_id;
UPDATE INFRA_IDS SET LOG_SISTEMA_ID = LOG_SISTEMA_ID + 1;
INSERT INTO LOG_SISTEMA (LOG_SISTEMA_ID, TABELA_SISTEMA_ID, TAB_TIPO_ACAO_ID, USUARIO_ID,
                         REGISTRO_ID, DATA_LOG)
SELECT LOG_SISTEMA_ID, 490, 1, NULLIF(:usuario, 0), NULLIF(:job_id, 0), GETDATE()
  FROM INFRA_IDS;
SELECT 0 AS Retorno, '' AS Msg_Ret FROM INFRA_IDS;
