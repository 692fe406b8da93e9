-- sp_zor_con_ult_ton_prog.sql: the link of the running operation's order
-- (the call context's, docs/databases.md) to a programme, with the tonnage
-- the order last took from it; no row when there is none. Without an order,
-- or for a programme of 0 or null, it compares with null, as the Oracle
-- path's " is null" does.
CREATE FUNCTION sp_zor_con_ult_ton_prog(p_prog_id integer)
  RETURNS SETOF json LANGUAGE sql STABLE AS $$
SELECT row_to_json(r) FROM (
  SELECT hist_progr_escoam_id, ultima_ton_progr
    FROM hist_progr_escoam
   WHERE program_carga_id IS NOT DISTINCT FROM NULLIF(p_prog_id, 0)
     AND docto_transporte_id IS NOT DISTINCT FROM ocg_order()) AS r
 ORDER BY r.hist_progr_escoam_id
$$;
