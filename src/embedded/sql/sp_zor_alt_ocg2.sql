-- sp_zor_alt_ocg2.sql: rewrites a collection order, as the Oracle path's
-- update does.
-- params: docto_id int, cliente int, ponto int, end_destinatario int, municipio int, n_docto_cliente varchar, n_docto_transp int, data_prev datetime, veiculo int, colaborador int, fornecedor int, local_carreg varchar, peso float, txt_embalagem varchar, flag_ademe varchar, tipo_responsavel int, tipo_emergencia int, obs1 varchar
-- Result: one row, RETORNO 0 and MSG_RET '', unless the sender has no active
-- address: then no row, and nothing is written. As on the Oracle path, an
-- order that is not there changes nothing and still answers (the operation
-- refuses an identifier that names no order before it calls).
-- As on the Oracle path:
--   * the order is issued now; type, status, sales order and company stay;
--   * generator and sender follow the creation's rules, except that the
--     carrier's address is also taken when the stored order has a route;
--     the group is that of the customer stored on the order before the
--     update, which is why the answer is decided first;
--   * the sales order's external number receives the customer's document
--     number (the text '0' when there is none, as the Oracle path writes it).
-- No trailer is passed: the stored trailer stays (the Oracle path rewrites it).
SELECT 0 AS RETORNO, '' AS MSG_RET FROM INFRA_IDS
 WHERE (SELECT V.ENDERECO_PESSOA_ID FROM VENDERECO_PESSOA AS V
         WHERE V.TAB_STATUS_ID_END = 1 AND V.TAB_STATUS_ID_PES = 1
           AND V.PESSOA_ID =
               CASE WHEN (SELECT C.GRUPO_CLIENTE_ID FROM CLIENTE AS C, DOCTO_TRANSPORTE AS D
                           WHERE C.PESSOA_ID = D.CLIENTE_ID AND D.DOCTO_TRANSPORTE_ID = :docto_id) = 32
                         AND (COALESCE(:tipo_emergencia, 0) > 0
                              OR COALESCE((SELECT ROTA_ID FROM DOCTO_TRANSPORTE
                                            WHERE DOCTO_TRANSPORTE_ID = :docto_id), 0) > 0)
                    THEN :fornecedor ELSE :cliente END
         ORDER BY V.TAB_TIPO_ENDERECO_ID, V.ENDERECO_PESSOA_ID LIMIT 1) IS NOT NULL;
-- The sender is read in each row's SET before the row changes.
UPDATE DOCTO_TRANSPORTE
   SET END_REMETENTE_ID =
         (SELECT V.ENDERECO_PESSOA_ID FROM VENDERECO_PESSOA AS V
           WHERE V.TAB_STATUS_ID_END = 1 AND V.TAB_STATUS_ID_PES = 1
             AND V.PESSOA_ID =
                 CASE WHEN (SELECT C.GRUPO_CLIENTE_ID FROM CLIENTE AS C
                             WHERE C.PESSOA_ID = DOCTO_TRANSPORTE.CLIENTE_ID) = 32
                           AND (COALESCE(:tipo_emergencia, 0) > 0
                                OR COALESCE(DOCTO_TRANSPORTE.ROTA_ID, 0) > 0)
                      THEN :fornecedor ELSE :cliente END
           ORDER BY V.TAB_TIPO_ENDERECO_ID, V.ENDERECO_PESSOA_ID LIMIT 1),
       CLIENTE_ID = NULLIF(:cliente, 0),
       PONTO_OPERACAO_ID = NULLIF(:ponto, 0),
       DATA_EMISSAO = GETDATE(),
       END_DESTINATARIO_ID = NULLIF(:end_destinatario, 0),
       DESTINO_ID = NULLIF(:municipio, 0),
       DATA_PREV_CARREGAMENTO = :data_prev,
       VEICULO_FORNECEDOR_ID = NULLIF(:veiculo, 0),
       COLABORADOR_ID = NULLIF(:colaborador, 0),
       FORNECEDOR_ID = NULLIF(:fornecedor, 0),
       LOCAL_CARREG = UPPER(:local_carreg),
       PESO_PREVISTO = NULLIF(:peso, 0),
       TXT_EMBALAGEM = UPPER(:txt_embalagem),
       OBSERV1 = CASE WHEN TRIM(:obs1) <> '' THEN UPPER(:obs1) END,
       NUM_DOCTO_TRANSPORTE = NULLIF(:n_docto_transp, 0),
       FLAG_ADEME = UPPER(:flag_ademe),
       TAB_TIPO_RESPONSAVEL_ID = NULLIF(:tipo_responsavel, 0),
       TAB_TIPO_EMERGENCIA_ID = NULLIF(:tipo_emergencia, 0),
       GERADOR_TRANSPORTE_ID =
         NULLIF(CASE :tipo_responsavel
                  WHEN 1 THEN 1
                  WHEN 2 THEN :cliente
                  WHEN 3 THEN (SELECT PESSOA_ID FROM ENDERECO_PESSOA
                                WHERE ENDERECO_PESSOA_ID = :end_destinatario
                                  AND TAB_STATUS_ID = 1)
                END, 0)
 WHERE DOCTO_TRANSPORTE_ID = :docto_id
   AND (SELECT V.ENDERECO_PESSOA_ID FROM VENDERECO_PESSOA AS V
         WHERE V.TAB_STATUS_ID_END = 1 AND V.TAB_STATUS_ID_PES = 1
           AND V.PESSOA_ID =
               CASE WHEN (SELECT C.GRUPO_CLIENTE_ID FROM CLIENTE AS C
                           WHERE C.PESSOA_ID = DOCTO_TRANSPORTE.CLIENTE_ID) = 32
                         AND (COALESCE(:tipo_emergencia, 0) > 0
                              OR COALESCE(DOCTO_TRANSPORTE.ROTA_ID, 0) > 0)
                    THEN :fornecedor ELSE :cliente END
         ORDER BY V.TAB_TIPO_ENDERECO_ID, V.ENDERECO_PESSOA_ID LIMIT 1) IS NOT NULL;
-- changes(): the order row the update above rewrote (its triggers' do not
-- count); none when the sender was missing.
UPDATE PEDIDO SET NUM_PEDIDO_EXTERNO = COALESCE(UPPER(:n_docto_cliente), '0')
 WHERE PEDIDO_ID = (SELECT PEDIDO_ID FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = :docto_id)
   AND changes() > 0;
