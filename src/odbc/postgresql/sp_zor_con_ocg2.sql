-- sp_zor_con_ocg2.sql: one collection order with what its form shows, as the
-- bundled procedure of the same name (its header lists the columns): orders
-- in status 1 or 615 whose destination person and address are active; the
-- three dates as 'DD/MM/YYYY'.
CREATE FUNCTION sp_zor_con_ocg2(p_docto_id integer)
  RETURNS SETOF json LANGUAGE sql STABLE AS $$
SELECT row_to_json(r) FROM (
  SELECT dct.cliente_id AS cliente_id,
         cli.nome_fantasia AS cliente,
         dct.ponto_operacao_id AS ponto_operacao_id,
         TO_CHAR(dct.data_emissao, 'DD/MM/YYYY') AS data_emissao,
         dct.end_destinatario_id AS end_destinatario_id,
         dest.indicativo_pf_pj AS indicativo_pf_pj,
         dest.pf_cpf AS pf_cpf,
         dest.pj_cgc AS pj_cgc,
         dest.nome_fantasia AS destinatario,
         dest.endereco AS endereco,
         dest.municipio AS municipio,
         dest.endereco_pessoa_id AS endereco_pessoa_id,
         dest.pessoa_id AS pessoa_id,
         dct.destino_id AS destino_id,
         dct.veiculo_fornecedor_id AS veiculo_fornecedor_id,
         vei.placa AS placa,
         TO_CHAR(dct.data_prev_carregamento, 'DD/MM/YYYY') AS data_prev_carregamento,
         dct.local_carreg AS local_carreg,
         dct.peso_previsto AS peso_previsto,
         dct.txt_embalagem AS txt_embalagem,
         dct.observ1 AS observ1,
         dct.num_docto_transporte AS num_docto_transporte,
         dct.pedido_id AS pedido_id,
         ped.num_pedido_externo AS num_pedido_externo,
         col.pessoa_id AS colaborador_id,
         col.nome AS nome_colaborador,
         forn.pessoa_id AS fornecedor_id,
         forn.nome AS nome_fornecedor,
         dct.tab_tipo_docto_transp_id AS tab_tipo_docto_transp_id,
         dct.flag_ademe AS flag_ademe,
         dct.tab_tipo_responsavel_id AS tab_tipo_responsavel_id,
         dct.tab_tipo_emergencia_id AS tab_tipo_emergencia_id,
         TO_CHAR(dct.data_impressao, 'DD/MM/YYYY') AS data_impressao,
         dct.veiculo_carreta_id AS veiculo_carreta_id,
         dct.cva AS cva
    FROM docto_transporte AS dct
    JOIN pessoa AS cli ON cli.pessoa_id = dct.cliente_id
    JOIN vendereco_pessoa AS dest ON dest.endereco_pessoa_id = dct.end_destinatario_id
    LEFT JOIN veiculo_fornecedor AS vei ON vei.veiculo_fornecedor_id = dct.veiculo_fornecedor_id
    LEFT JOIN pedido AS ped ON ped.pedido_id = dct.pedido_id
    LEFT JOIN pessoa AS col ON col.pessoa_id = dct.colaborador_id
    LEFT JOIN pessoa AS forn ON forn.pessoa_id = dct.fornecedor_id
   WHERE dct.docto_transporte_id = p_docto_id
     AND dct.tab_status_id IN (1, 615)
     AND dest.tab_status_id_pes = 1
     AND dest.tab_status_id_end = 1) AS r
$$;
