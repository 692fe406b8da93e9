-- sp_zor_con_veic_ocg.sql: a vehicle's owner, the owner's name, the vehicle
-- type's load capacity and the vehicle's identifier, as the bundled
-- procedure of the same name answers (its header gives the rules): the
-- owner found (RETORNO 0 ...); RETORNO 10 and MSG_RETORNO for a vehicle with
-- neither a collaborator nor a supplier outside the own fleet; the vehicle's
-- keys for one whose keys fit no rule; no row for an inactive vehicle or
-- owner.
CREATE FUNCTION sp_zor_con_veic_ocg(p_veiculo_id integer)
  RETURNS SETOF json LANGUAGE plpgsql STABLE AS $$
DECLARE
  colab integer;
  forn integer;
  prop integer;
BEGIN
  SELECT COALESCE(MAX(colaborador_id), 0), COALESCE(MAX(fornecedor_id), 0),
         COALESCE(MAX(tab_tipo_prop_veiculo_id), 0)
    INTO colab, forn, prop
    FROM veiculo_fornecedor WHERE veiculo_fornecedor_id = p_veiculo_id;

  -- A vehicle whose keys fit no rule answers with them.
  RETURN QUERY SELECT row_to_json(r) FROM (
    SELECT colaborador_id AS colab_id, fornecedor_id AS forn_id, tab_tipo_prop_veiculo_id
      FROM veiculo_fornecedor
     WHERE veiculo_fornecedor_id = p_veiculo_id
       AND COALESCE(tab_tipo_prop_veiculo_id, 0) <> 1
       AND COALESCE(colaborador_id, 0) <= 0 AND COALESCE(fornecedor_id, 0) <= 0
       AND NOT (COALESCE(colaborador_id, 0) = 0 AND COALESCE(fornecedor_id, 0) = 0)) AS r;
  IF FOUND THEN
    RETURN;
  END IF;

  RETURN QUERY SELECT row_to_json(r) FROM (
    SELECT 10 AS retorno,
           'ESSE VEÍCULO NÃO POSSUI NENHUM FORNECEDOR_ID NEM COLABORADOR_ID.' AS msg_retorno
      FROM infra_ids
     WHERE NOT EXISTS (SELECT 1
                         FROM veiculo_fornecedor
                        WHERE veiculo_fornecedor_id = p_veiculo_id
                          AND (COALESCE(tab_tipo_prop_veiculo_id, 0) = 1
                               OR COALESCE(colaborador_id, 0) <> 0
                               OR COALESCE(fornecedor_id, 0) <> 0))) AS r;
  IF FOUND THEN
    RETURN;
  END IF;

  RETURN QUERY SELECT row_to_json(r) FROM (
    SELECT 0 AS retorno, 1 AS proprietario_id,
           'TARVOSA TRANSPORTES E SERVIÇOS'::varchar AS proprietario,
           t.capacidade_kg, vf.veiculo_fornecedor_id
      FROM veiculo_fornecedor AS vf
      LEFT JOIN tab_tipo_veiculo AS t ON t.tab_tipo_veiculo_id = vf.tab_tipo_veiculo_id
     WHERE vf.veiculo_fornecedor_id = p_veiculo_id AND prop = 1
    UNION ALL
    SELECT 0, vf.colaborador_id, c.nome_fantasia, t.capacidade_kg, vf.veiculo_fornecedor_id
      FROM veiculo_fornecedor AS vf
      JOIN vcolaborador AS c ON c.colaborador_id = vf.colaborador_id
      LEFT JOIN tab_tipo_veiculo AS t ON t.tab_tipo_veiculo_id = vf.tab_tipo_veiculo_id
     WHERE vf.veiculo_fornecedor_id = p_veiculo_id AND prop <> 1 AND colab > 0
       AND vf.tab_status_id = 1 AND c.tab_status_id = 1
    UNION ALL
    SELECT 0, vf.fornecedor_id, f.nome_fantasia, t.capacidade_kg, vf.veiculo_fornecedor_id
      FROM veiculo_fornecedor AS vf
      JOIN vfornecedor AS f ON f.fornecedor_id = vf.fornecedor_id
      LEFT JOIN tab_tipo_veiculo AS t ON t.tab_tipo_veiculo_id = vf.tab_tipo_veiculo_id
     WHERE vf.veiculo_fornecedor_id = p_veiculo_id AND prop <> 1 AND colab <= 0 AND forn > 0
       AND vf.tab_status_id = 1 AND f.tab_status_id = 1) AS r;
END
$$;
