-- sp_zor_inc_ocg2.sql: creates a collection order, as the Oracle path's
-- insert does.
-- params: tipo int, cliente int, ponto int, end_destinatario int, municipio int, n_docto_cliente varchar, n_docto_transp int, data_prev datetime, veiculo int, colaborador int, fornecedor int, local_carreg varchar, peso float, txt_embalagem varchar, flag_ademe varchar, tipo_responsavel int, tipo_emergencia int, obs1 varchar
-- Result: one row, RETORNO 0, MSG_RET '' and the new DOCTO_TRANSPORTE_ID; no
-- row (and nothing written) when the sender has no active address.
-- As on the Oracle path:
--   * the key comes from INFRA_IDS; status 1, issued now, company 1, no
--     sales order; a zero or missing number is stored as null;
--   * the generator of the transport follows the responsible type: 1 the
--     company, 2 the customer, 3 the person of the destination address while
--     it is active, any other none;
--   * the sender address is the first active address (by address type) of
--     the carrier when the customer is in group 32 and the load has an
--     emergency type, of the customer otherwise;
--   * texts are stored in upper case, the remark only when it is not blank.
-- The customer's document number is not stored, and no trailer is passed:
-- a trailer is stored on the Oracle path only.
UPDATE INFRA_IDS SET DOCTO_TRANSPORTE_ID = DOCTO_TRANSPORTE_ID + 1
 WHERE (SELECT V.ENDERECO_PESSOA_ID FROM VENDERECO_PESSOA AS V
         WHERE V.TAB_STATUS_ID_END = 1 AND V.TAB_STATUS_ID_PES = 1
           AND V.PESSOA_ID = CASE WHEN (SELECT GRUPO_CLIENTE_ID FROM CLIENTE
                                         WHERE PESSOA_ID = :cliente) = 32
                                       AND COALESCE(:tipo_emergencia, 0) > 0
                                  THEN :fornecedor ELSE :cliente END
         ORDER BY V.TAB_TIPO_ENDERECO_ID, V.ENDERECO_PESSOA_ID LIMIT 1) IS NOT NULL;
INSERT INTO DOCTO_TRANSPORTE (
  DOCTO_TRANSPORTE_ID, TAB_STATUS_ID, TAB_TIPO_DOCTO_TRANSP_ID, CLIENTE_ID, PONTO_OPERACAO_ID,
  DATA_EMISSAO, END_DESTINATARIO_ID, DESTINO_ID, DATA_PREV_CARREGAMENTO, VEICULO_FORNECEDOR_ID,
  COLABORADOR_ID, FORNECEDOR_ID, LOCAL_CARREG, PESO_PREVISTO, TXT_EMBALAGEM, OBSERV1,
  NUM_DOCTO_TRANSPORTE, FLAG_ADEME, TAB_TIPO_RESPONSAVEL_ID, TAB_TIPO_EMERGENCIA_ID,
  GERADOR_TRANSPORTE_ID, PEDIDO_ID, END_REMETENTE_ID, EMPRESA_ID, VEICULO_CARRETA_ID)
SELECT I.DOCTO_TRANSPORTE_ID, 1, NULLIF(:tipo, 0), NULLIF(:cliente, 0), NULLIF(:ponto, 0),
       GETDATE(), NULLIF(:end_destinatario, 0), NULLIF(:municipio, 0), :data_prev,
       NULLIF(:veiculo, 0), NULLIF(:colaborador, 0), NULLIF(:fornecedor, 0),
       UPPER(:local_carreg), NULLIF(:peso, 0), UPPER(:txt_embalagem),
       CASE WHEN TRIM(:obs1) <> '' THEN UPPER(:obs1) END,
       NULLIF(:n_docto_transp, 0), UPPER(:flag_ademe), NULLIF(:tipo_responsavel, 0),
       NULLIF(:tipo_emergencia, 0),
       NULLIF(CASE :tipo_responsavel
                WHEN 1 THEN 1
                WHEN 2 THEN :cliente
                WHEN 3 THEN (SELECT PESSOA_ID FROM ENDERECO_PESSOA
                              WHERE ENDERECO_PESSOA_ID = :end_destinatario
                                AND TAB_STATUS_ID = 1)
              END, 0),
       NULL, S.ENDERECO_PESSOA_ID, 1, NULL
  FROM INFRA_IDS AS I,
       (SELECT V.ENDERECO_PESSOA_ID FROM VENDERECO_PESSOA AS V
         WHERE V.TAB_STATUS_ID_END = 1 AND V.TAB_STATUS_ID_PES = 1
           AND V.PESSOA_ID = CASE WHEN (SELECT GRUPO_CLIENTE_ID FROM CLIENTE
                                         WHERE PESSOA_ID = :cliente) = 32
                                       AND COALESCE(:tipo_emergencia, 0) > 0
                                  THEN :fornecedor ELSE :cliente END
         ORDER BY V.TAB_TIPO_ENDERECO_ID, V.ENDERECO_PESSOA_ID LIMIT 1) AS S;
-- changes(): the rows the insert above wrote (its triggers' do not count).
SELECT 0 AS RETORNO, '' AS MSG_RET, DOCTO_TRANSPORTE_ID FROM INFRA_IDS WHERE changes() > 0;
