-- 002_programme_links_index.sql: version 2 on PostgreSQL, as the embedded
-- step of the same number. A programme's links newest first, for the link
-- lookup that is told only the programme.
--
-- Versions are recorded from this step on: a database without VERSAO_ESQUEMA
-- was made before they were, by hand or by an ocg init-db that already wrote
-- some later steps' changes, so every step here leaves alone what is already
-- there (IF NOT EXISTS) and may run on any database made before it.
CREATE TABLE IF NOT EXISTS VERSAO_ESQUEMA (
  VERSAO         INTEGER PRIMARY KEY,
  DATA_APLICACAO TIMESTAMP(0) NOT NULL DEFAULT LOCALTIMESTAMP(0)
);

CREATE INDEX IF NOT EXISTS HIST_PROGR_ESCOAM_RECENTES
    ON HIST_PROGR_ESCOAM (PROGRAM_CARGA_ID, HIST_PROGR_ESCOAM_ID);

INSERT INTO VERSAO_ESQUEMA (VERSAO) VALUES (2) ON CONFLICT DO NOTHING;
