-- sp_zor_alt_ton_prog.sql: sets a programme's remaining and loaded tonnage to
-- the values given (0 stored as null). Answers no row.
CREATE FUNCTION sp_zor_alt_ton_prog(p_prog_id integer, p_ton_p_escoar double precision,
                                    p_ton_carregada double precision)
  RETURNS SETOF json LANGUAGE plpgsql AS $$
BEGIN
  UPDATE program_carga
     SET ton_p_escoar = NULLIF(p_ton_p_escoar, 0),
         ton_carregada = NULLIF(p_ton_carregada, 0)
   WHERE program_carga_id = p_prog_id;
END
$$;
