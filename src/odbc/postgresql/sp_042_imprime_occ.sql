-- sp_042_imprime_occ.sql: the texts printed on a collection-order form, as
-- the bundled procedure of the same name (its header lists the columns).
-- Called as "SP_042_IMPRIME_OCC(  123)", without EXEC, by every kind.
CREATE FUNCTION sp_042_imprime_occ(p_docto_id integer)
  RETURNS SETOF json LANGUAGE sql STABLE AS $$
SELECT row_to_json(r) FROM (
  SELECT po.endereco || COALESCE(' - ' || po.bairro, '') AS endereco_ponto_operacao,
         mpo.municipio || '/' || mpo.uf AS municipio_ponto_operacao,
         po.cep AS cep_ponto_operacao,
         po.fone AS fone_ponto_operacao,
         cli.nome AS nome_solicitante,
         (SELECT e.endereco || COALESCE(' - ' || e.municipio || '/' || e.uf, '')
            FROM vendereco_pessoa AS e
           WHERE e.pessoa_id = dct.cliente_id
             AND e.tab_status_id_end = 1
             AND e.tab_tipo_endereco_id IN (2, 4)
           ORDER BY e.tab_tipo_endereco_id, e.endereco_pessoa_id
           LIMIT 1) AS endereco_solicitante,
         TO_CHAR(dct.data_emissao, 'DD/MM/YYYY') AS data_solicitacao,
         tv.descricao AS tipo_veiculo,
         cav.placa AS placa_cavalo,
         car.placa AS placa_carreta,
         mot.nome AS nome_motorista,
         ped.num_pedido_externo AS num_dct_cliente,
         dest.nome_fantasia || ' - ' || dest.endereco
           || COALESCE(' - ' || dest.municipio || '/' || dest.uf, '') AS destino,
         dct.peso_previsto AS peso_previsto,
         dct.num_docto_transporte AS num_docto_transporte,
         dct.observ1 AS observacao,
         po.nome AS nome_filial
    FROM docto_transporte AS dct
    LEFT JOIN ponto_operacao AS po ON po.ponto_operacao_id = dct.ponto_operacao_id
    LEFT JOIN municipio AS mpo ON mpo.municipio_id = po.municipio_id
    LEFT JOIN pessoa AS cli ON cli.pessoa_id = dct.cliente_id
    LEFT JOIN veiculo_fornecedor AS cav ON cav.veiculo_fornecedor_id = dct.veiculo_fornecedor_id
    LEFT JOIN tab_tipo_veiculo AS tv ON tv.tab_tipo_veiculo_id = cav.tab_tipo_veiculo_id
    LEFT JOIN veiculo_fornecedor AS car ON car.veiculo_fornecedor_id = dct.veiculo_carreta_id
    LEFT JOIN pessoa AS mot ON mot.pessoa_id = dct.colaborador_id
    LEFT JOIN pedido AS ped ON ped.pedido_id = dct.pedido_id
    LEFT JOIN vendereco_pessoa AS dest ON dest.endereco_pessoa_id = dct.end_destinatario_id
   WHERE dct.docto_transporte_id = p_docto_id
     AND dct.tab_status_id IN (1, 615)) AS r
$$;
