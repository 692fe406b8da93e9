-- sp_pmv_ver_exist_docto_imp.sql: how many orders (active or deleted) of a
-- type and point carry a number in num_ini..num_fim. As the bundled
-- procedure of the same name.
CREATE FUNCTION sp_pmv_ver_exist_docto_imp(p_num_ini double precision,
                                           p_num_fim double precision,
                                           p_tipo_docto double precision,
                                           p_ponto double precision)
  RETURNS SETOF json LANGUAGE sql STABLE AS $$
SELECT row_to_json(r) FROM (
  SELECT COUNT(*) AS quantidade
    FROM docto_transporte AS d
   WHERE d.tab_tipo_docto_transp_id IS NOT DISTINCT FROM NULLIF(p_tipo_docto, 0)
     AND d.num_docto_transporte >= COALESCE(p_num_ini, 0)
     AND d.num_docto_transporte < COALESCE(p_num_fim, 0) + 1
     AND d.tab_status_id IN (1, 2)
     AND d.ponto_operacao_id = COALESCE(p_ponto, 0)) AS r
$$;
