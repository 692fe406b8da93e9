-- sp_zor_con_flag_progr.sql: whether an active customer's orders draw on load
-- programmes (FLAG_PROGRAM_CARGA); no row for an inactive or unknown one.
CREATE FUNCTION sp_zor_con_flag_progr(p_cliente integer)
  RETURNS SETOF json LANGUAGE sql STABLE AS $$
SELECT row_to_json(r) FROM (
  SELECT flag_program_carga AS flag_program_carga
    FROM cliente
   WHERE pessoa_id = p_cliente
     AND tab_status_id = 1) AS r
$$;
