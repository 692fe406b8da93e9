-- sp_zor_exc_relac_ocg.sql: deletes a collection order's programme links.
-- One row, RETORNO 0.
CREATE FUNCTION sp_zor_exc_relac_ocg(p_docto_id integer)
  RETURNS SETOF json LANGUAGE plpgsql AS $$
BEGIN
  DELETE FROM hist_progr_escoam WHERE docto_transporte_id = p_docto_id;
  RETURN QUERY SELECT row_to_json(r) FROM (SELECT 0 AS retorno, '' AS msg_ret FROM infra_ids) AS r;
END
$$;
