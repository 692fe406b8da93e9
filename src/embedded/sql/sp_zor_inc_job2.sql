-- sp_zor_inc_job2.sql: registers a background job for the job runner, with
-- its system-log row (table 490, action 1), as the Oracle path does.
-- params: usuario int, funcao int, titulo varchar, flag varchar, usuario_pedido int, texto varchar, destinatario varchar, status int, remetente varchar, anexo varchar, data_inicio datetime
-- Result: one row, Retorno 0, Msg_Ret '' and the new LOG_GERADOR_ID.
-- The key comes from INFRA_IDS, as the Oracle path draws it. The user is
-- passed twice by the caller; the second is the same user and is not used.
-- A zero user or code is stored as null, as the Oracle path writes it; the
-- texts are stored as given (the Oracle path upper-cases them on the way).
UPDATE INFRA_IDS SET LOG_GERADOR_ID = LOG_GERADOR_ID + 1;
INSERT INTO LOG_GERADOR (LOG_GERADOR_ID, USUARIO_INTERNET_ID, FUNCAO_ID, TITULO_EMAIL,
                         FLAG_ENVIA_EMAIL, TEXTO_EMAIL, ENDERECO_EMAIL, TAB_STATUS_JOB_ID,
                         DATA_INICIO, EMAIL_REMETENTE, ENDERECO_ANEXO)
SELECT LOG_GERADOR_ID, NULLIF(:usuario, 0), NULLIF(:funcao, 0), :titulo, :flag, :texto,
       :destinatario, NULLIF(:status, 0), :data_inicio, :remetente, :anexo
  FROM INFRA_IDS;
UPDATE INFRA_IDS SET LOG_SISTEMA_ID = LOG_SISTEMA_ID + 1;
INSERT INTO LOG_SISTEMA (LOG_SISTEMA_ID, TABELA_SISTEMA_ID, TAB_TIPO_ACAO_ID, USUARIO_ID,
                         REGISTRO_ID, DATA_LOG)
SELECT LOG_SISTEMA_ID, 490, 1, NULLIF(:usuario, 0), LOG_GERADOR_ID, GETDATE()
  FROM INFRA_IDS;
SELECT 0 AS Retorno, '' AS Msg_Ret, LOG_GERADOR_ID FROM INFRA_IDS;
