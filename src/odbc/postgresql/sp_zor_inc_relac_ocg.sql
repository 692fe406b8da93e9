-- sp_zor_inc_relac_ocg.sql: links an order to a programme with the tonnage it
-- took (0 stored as null), its key drawn from INFRA_IDS. One row, RETORNO 0.
CREATE FUNCTION sp_zor_inc_relac_ocg(p_docto_id integer, p_prog_id integer,
                                     p_ton_baixa double precision)
  RETURNS SETOF json LANGUAGE plpgsql AS $$
BEGIN
  UPDATE infra_ids SET hist_progr_escoam_id = hist_progr_escoam_id + 1;
  INSERT INTO hist_progr_escoam (hist_progr_escoam_id, docto_transporte_id, program_carga_id,
                                 ultima_ton_progr)
  SELECT hist_progr_escoam_id, NULLIF(p_docto_id, 0), NULLIF(p_prog_id, 0), NULLIF(p_ton_baixa, 0)
    FROM infra_ids;
  RETURN QUERY SELECT row_to_json(r) FROM (SELECT 0 AS retorno, '' AS msg_ret FROM infra_ids) AS r;
END
$$;
