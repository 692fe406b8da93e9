-- sp_zor_con_geral_ocg.sql: a person and its addresses by tax number, as the
-- bundled procedure of the same name answers (its header gives the rules):
-- the data rows, first address first (RETORNO 0), or, for a kind that is
-- neither 'PJ' nor 'PF' (compared case-sensitively), RETORNO 10 alone.
CREATE FUNCTION sp_zor_con_geral_ocg(p_num varchar, p_indic varchar)
  RETURNS SETOF json LANGUAGE plpgsql STABLE AS $$
BEGIN
  IF p_indic IS NULL OR p_indic NOT IN ('PJ', 'PF') THEN
    RETURN QUERY SELECT row_to_json(r) FROM (SELECT 10 AS retorno FROM infra_ids) AS r;
    RETURN;
  END IF;
  RETURN QUERY SELECT row_to_json(r)
    FROM vendereco_pessoa AS v,
         LATERAL (SELECT v.indicativo_pf_pj AS indic_pj_pf,
                         CASE p_indic WHEN 'PJ' THEN v.pj_cgc ELSE v.pf_cpf END AS cnpj_cpf,
                         v.nome_fantasia, v.endereco, v.municipio, v.endereco_pessoa_id,
                         v.pessoa_id, v.municipio_id, 0 AS retorno) AS r
   WHERE ((p_indic = 'PJ' AND v.pj_cgc = UPPER(p_num))
          OR (p_indic = 'PF' AND v.pf_cpf = UPPER(p_num)))
     AND v.tab_status_id_pes = 1
     AND v.tab_status_id_end = 1
     AND v.tab_tipo_endereco_id IN (2, 4)
   ORDER BY v.tab_tipo_endereco_id;
END
$$;
