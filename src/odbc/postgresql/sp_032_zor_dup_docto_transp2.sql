-- sp_032_zor_dup_docto_transp2.sql: how many active orders of a type and
-- point already carry a number; the order being altered does not count.
-- As the bundled procedure of the same name (src/embedded/sql/): 0 reads as
-- null, and an order without a number counts the unnumbered orders.
CREATE FUNCTION sp_032_zor_dup_docto_transp2(p_num_docto integer, p_docto_id integer,
                                             p_tipo_docto integer, p_ponto integer)
  RETURNS SETOF json LANGUAGE sql STABLE AS $$
SELECT row_to_json(r) FROM (
  SELECT COUNT(*) AS contador
    FROM docto_transporte AS d
   WHERE d.num_docto_transporte IS NOT DISTINCT FROM NULLIF(p_num_docto, 0)
     AND d.tab_tipo_docto_transp_id IS NOT DISTINCT FROM NULLIF(p_tipo_docto, 0)
     AND d.ponto_operacao_id IS NOT DISTINCT FROM NULLIF(p_ponto, 0)
     AND (NULLIF(p_num_docto, 0) IS NULL
          OR d.docto_transporte_id IS DISTINCT FROM NULLIF(p_docto_id, 0))
     AND d.tab_status_id = 1) AS r
$$;
