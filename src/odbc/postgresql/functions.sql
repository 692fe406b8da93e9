-- functions.sql: the functions the component's statements rely on, for a
-- PostgreSQL database. The ODBC engine bridges each statement to PostgreSQL
-- (embedded/bridge.h): sysdate becomes ocg_sysdate() and TO_DATE ocg_to_date;
-- NVL and TO_CHAR keep their names. The stored procedures read the call
-- context (docs/databases.md) through ocg_context and ocg_order.

-- NVL(a, b): b when a is null, in the type both share (NVL(tonnage, 0)).
CREATE FUNCTION nvl(a anycompatible, b anycompatible) RETURNS anycompatible
  LANGUAGE sql IMMUTABLE PARALLEL SAFE AS 'SELECT COALESCE(a, b)';

-- Oracle's sysdate: the moment, to the second.
CREATE FUNCTION ocg_sysdate() RETURNS timestamp(0)
  LANGUAGE sql STABLE PARALLEL SAFE AS 'SELECT LOCALTIMESTAMP(0)';

-- Oracle's TO_DATE(text, pattern): the moment the text gives, time of day
-- included (the server's own to_date keeps only the day). The patterns the
-- statements use ('yyyy/mm/dd hh24:mi:ss', 'DD/MM/YYYY') read the same here.
CREATE FUNCTION ocg_to_date(moment text, pattern text) RETURNS timestamp(0)
  LANGUAGE sql STABLE PARALLEL SAFE AS 'SELECT to_timestamp(moment, pattern)::timestamp(0)';

-- A field of the call context the ODBC engine sets before a procedure call:
-- 'operation' or 'order'; null when unset or empty.
CREATE FUNCTION ocg_context(field text) RETURNS text
  LANGUAGE sql STABLE PARALLEL SAFE AS
  $$SELECT NULLIF(current_setting('ocg.' || field, true), '')$$;

-- The order of the call context as a number: null when there is none. An
-- order that is no whole number is refused (the Oracle path's statement
-- would be refused too).
CREATE FUNCTION ocg_order() RETURNS bigint
  LANGUAGE sql STABLE PARALLEL SAFE AS $$SELECT ocg_context('order')::bigint$$;
