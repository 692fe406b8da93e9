-- sp_042_imprime_occ.sql: the texts printed on a collection-order form.
-- params: docto_id int
-- Called as "SP_042_IMPRIME_OCC(  123)", without EXEC, by every database kind.
-- Result: one row for an order in status 1 or 615 (none for a deleted order,
-- or for a null or 0 docto_id), with:
--   ENDERECO_PONTO_OPERACAO    the operating point's street, " - ", district
--   MUNICIPIO_PONTO_OPERACAO   its town "/" state
--   CEP_PONTO_OPERACAO, FONE_PONTO_OPERACAO
--   NOME_SOLICITANTE           the customer's legal name
--   ENDERECO_SOLICITANTE       the customer's first active address (type 2,
--                              else 4): street, " - ", town "/" state
--   DATA_SOLICITACAO           the issue date, 'DD/MM/YYYY'
--   TIPO_VEICULO               the tractor's vehicle type
--   PLACA_CAVALO, PLACA_CARRETA  the tractor's and the trailer's plates
--   NOME_MOTORISTA             the collaborator (owner-driver), when there is one
--   NUM_DCT_CLIENTE            the customer's own order number (sales order)
--   DESTINO                    destination name, " - ", street, " - ", town "/" state
--   PESO_PREVISTO, NUM_DOCTO_TRANSPORTE  numbers, null when not set
--   OBSERVACAO                 the order's remark
--   NOME_FILIAL                the operating point's (branch's) name
-- Whatever the order lacks (vehicle, trailer, collaborator, sales order, a
-- town) prints empty: every neighbour is an outer join, and a missing part of
-- a joined text drops only that part.
SELECT PO.ENDERECO || COALESCE(' - ' || PO.BAIRRO, '') AS ENDERECO_PONTO_OPERACAO,
       MPO.MUNICIPIO || '/' || MPO.UF AS MUNICIPIO_PONTO_OPERACAO,
       PO.CEP AS CEP_PONTO_OPERACAO,
       PO.FONE AS FONE_PONTO_OPERACAO,
       CLI.NOME AS NOME_SOLICITANTE,
       (SELECT E.ENDERECO || COALESCE(' - ' || E.MUNICIPIO || '/' || E.UF, '')
          FROM VENDERECO_PESSOA AS E
         WHERE E.PESSOA_ID = DCT.CLIENTE_ID
           AND E.TAB_STATUS_ID_END = 1
           AND E.TAB_TIPO_ENDERECO_ID IN (2, 4)
         ORDER BY E.TAB_TIPO_ENDERECO_ID, E.ENDERECO_PESSOA_ID
         LIMIT 1) AS ENDERECO_SOLICITANTE,
       TO_CHAR(DCT.DATA_EMISSAO, 'DD/MM/YYYY') AS DATA_SOLICITACAO,
       TV.DESCRICAO AS TIPO_VEICULO,
       CAV.PLACA AS PLACA_CAVALO,
       CAR.PLACA AS PLACA_CARRETA,
       MOT.NOME AS NOME_MOTORISTA,
       PED.NUM_PEDIDO_EXTERNO AS NUM_DCT_CLIENTE,
       DEST.NOME_FANTASIA || ' - ' || DEST.ENDERECO
         || COALESCE(' - ' || DEST.MUNICIPIO || '/' || DEST.UF, '') AS DESTINO,
       DCT.PESO_PREVISTO AS PESO_PREVISTO,
       DCT.NUM_DOCTO_TRANSPORTE AS NUM_DOCTO_TRANSPORTE,
       DCT.OBSERV1 AS OBSERVACAO,
       PO.NOME AS NOME_FILIAL
  FROM DOCTO_TRANSPORTE AS DCT
  LEFT JOIN PONTO_OPERACAO AS PO ON PO.PONTO_OPERACAO_ID = DCT.PONTO_OPERACAO_ID
  LEFT JOIN MUNICIPIO AS MPO ON MPO.MUNICIPIO_ID = PO.MUNICIPIO_ID
  LEFT JOIN PESSOA AS CLI ON CLI.PESSOA_ID = DCT.CLIENTE_ID
  LEFT JOIN VEICULO_FORNECEDOR AS CAV ON CAV.VEICULO_FORNECEDOR_ID = DCT.VEICULO_FORNECEDOR_ID
  LEFT JOIN TAB_TIPO_VEICULO AS TV ON TV.TAB_TIPO_VEICULO_ID = CAV.TAB_TIPO_VEICULO_ID
  LEFT JOIN VEICULO_FORNECEDOR AS CAR ON CAR.VEICULO_FORNECEDOR_ID = DCT.VEICULO_CARRETA_ID
  LEFT JOIN PESSOA AS MOT ON MOT.PESSOA_ID = DCT.COLABORADOR_ID
  LEFT JOIN PEDIDO AS PED ON PED.PEDIDO_ID = DCT.PEDIDO_ID
  LEFT JOIN VENDERECO_PESSOA AS DEST ON DEST.ENDERECO_PESSOA_ID = DCT.END_DESTINATARIO_ID
 WHERE DCT.DOCTO_TRANSPORTE_ID = :docto_id
   AND DCT.TAB_STATUS_ID IN (1, 615);
