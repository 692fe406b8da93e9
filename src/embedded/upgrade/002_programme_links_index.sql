-- 002_programme_links_index.sql: version 2. A programme's links newest first
-- (the key follows the programme in the index), for the link lookup that is
-- told only the programme.
CREATE INDEX HIST_PROGR_ESCOAM_RECENTES ON HIST_PROGR_ESCOAM (PROGRAM_CARGA_ID);
