-- 003_job_runner_columns.sql: version 3 on PostgreSQL, as the embedded step
-- of the same number. The job runner keeps its state in five columns of
-- LOG_GERADOR (docs/jobs.md). TIMESTAMP(0) keeps dates in one form here, so
-- no trigger is needed.
ALTER TABLE LOG_GERADOR
  ADD COLUMN IF NOT EXISTS QTDE_TENTATIVAS        INTEGER,
  ADD COLUMN IF NOT EXISTS TXT_ULTIMO_ERRO        VARCHAR(4000),
  ADD COLUMN IF NOT EXISTS DATA_PROXIMA_TENTATIVA TIMESTAMP(0),
  ADD COLUMN IF NOT EXISTS TXT_EXECUTOR           VARCHAR(4000),
  ADD COLUMN IF NOT EXISTS DATA_RESERVA           TIMESTAMP(0);

INSERT INTO VERSAO_ESQUEMA (VERSAO) VALUES (3) ON CONFLICT DO NOTHING;
