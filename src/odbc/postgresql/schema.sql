-- schema.sql: the tables and views of the collection-order component for a
-- PostgreSQL database, reached through PostgreSQL's ODBC driver. The same
-- tables as the embedded database's schema, column for column, in
-- PostgreSQL's types:
--   * identifiers and codes INTEGER, tonnages, weights, prices and
--     capacities NUMERIC(15,3) (as Oracle's NUMBER and SQL Server's DECIMAL,
--     handed to the component as exact decimals), other texts VARCHAR,
--   * every date column TIMESTAMP(0): like Oracle's DATE it keeps the time
--     of day, to the second,
--   * LOG_MSG numbers its rows itself (the log writer leaves the key out),
--     every other key is drawn from INFRA_IDS by the component,
--   * INFRA_IDS holds exactly one row, kept so by a unique index on a
--     constant,
--   * GETDATE() is defined, so that the statements written for SQL Server
--     that take the database's clock run here too.
-- The functions the Oracle statements rely on are in functions.sql, the
-- stored procedures in sp_*.sql; "ocg init-db CONNECTION-STRING" loads them
-- all (and the demonstration data with --demo) in one transaction.
-- Dates typed day first ('06/12/2026') are read day first: the script sets
-- DateStyle for the user that runs it, who should be the component's.

ALTER ROLE CURRENT_USER SET DateStyle = 'ISO, DMY';
SET DateStyle = 'ISO, DMY';

CREATE FUNCTION GETDATE() RETURNS TIMESTAMP(0) LANGUAGE SQL AS 'SELECT LOCALTIMESTAMP(0)';

-- Registry: towns, persons and their addresses --------------------------------

-- Municipalities (towns) with their state.
CREATE TABLE MUNICIPIO (
  MUNICIPIO_ID INTEGER PRIMARY KEY,
  MUNICIPIO    VARCHAR(4000),     -- the town's name
  UF           VARCHAR(4000)      -- state abbreviation: ES, MG, SP...
);

-- Persons: companies (PJ, with a CNPJ) and individuals (PF, with a CPF).
CREATE TABLE PESSOA (
  PESSOA_ID        INTEGER PRIMARY KEY,
  INDICATIVO_PF_PJ VARCHAR(4000),     -- 'PF' or 'PJ'
  NOME             VARCHAR(4000),     -- legal name (razão social) or full name
  SOBRENOME        VARCHAR(4000),     -- surname, individuals only
  NOME_FANTASIA    VARCHAR(4000),     -- trade name, or the name shown for individuals
  PJ_CGC           VARCHAR(4000),     -- CNPJ as typed: '12.345.678/0001-90'
  PF_CPF           VARCHAR(4000),     -- CPF as typed: '123.456.789-09'
  EMAIL            VARCHAR(4000),
  TAB_STATUS_ID    INTEGER   -- 1 active, 2 inactive
);
CREATE INDEX PESSOA_PJ_CGC ON PESSOA (PJ_CGC);
CREATE INDEX PESSOA_PF_CPF ON PESSOA (PF_CPF);

-- Addresses of a person (PESSOA_ID), lookups take types 2 and 4, the lower first.
CREATE TABLE ENDERECO_PESSOA (
  ENDERECO_PESSOA_ID   INTEGER PRIMARY KEY,
  PESSOA_ID            INTEGER,
  TAB_TIPO_ENDERECO_ID INTEGER,   -- 1 billing, 2 main/commercial, 4 yard or site
  ENDERECO             VARCHAR(4000),      -- street and number
  BAIRRO               VARCHAR(4000),
  MUNICIPIO_ID         INTEGER,
  CEP                  VARCHAR(4000),      -- '29090-600'
  FONE                 VARCHAR(4000),
  TAB_STATUS_ID        INTEGER    -- 1 active, 2 cancelled
);
CREATE INDEX ENDERECO_PESSOA_PESSOA ON ENDERECO_PESSOA (PESSOA_ID);

-- Customers: the person record that may order collections.
CREATE TABLE CLIENTE (
  PESSOA_ID          INTEGER PRIMARY KEY,
  GRUPO_CLIENTE_ID   INTEGER,   -- group 32 ships dangerous loads via the carrier
  FLAG_PROGRAM_CARGA VARCHAR(4000),      -- 'S' when the customer's orders draw on load programmes
  TAB_STATUS_ID      INTEGER
);

-- Collaborators: owner-drivers working for the company.
CREATE TABLE COLABORADOR (
  COLABORADOR_ID INTEGER PRIMARY KEY,   -- the person's PESSOA_ID
  PESSOA_ID      INTEGER,
  TAB_STATUS_ID  INTEGER
);
CREATE INDEX COLABORADOR_PESSOA ON COLABORADOR (PESSOA_ID);

-- Suppliers: carrier companies that take collections.
CREATE TABLE FORNECEDOR (
  FORNECEDOR_ID INTEGER PRIMARY KEY,    -- the person's PESSOA_ID
  PESSOA_ID     INTEGER,
  TAB_STATUS_ID INTEGER
);
CREATE INDEX FORNECEDOR_PESSOA ON FORNECEDOR (PESSOA_ID);

-- System users, linked to a collaborator, a supplier or a person (whose e-mail they get).
CREATE TABLE USUARIO (
  USUARIO_ID     INTEGER PRIMARY KEY,
  LOGIN          VARCHAR(4000),
  COLABORADOR_ID INTEGER,
  FORNECEDOR_ID  INTEGER,
  PESSOA_ID      INTEGER,
  TAB_STATUS_ID  INTEGER
);

-- Persons with each address and its town, inactive ones included, both statuses shown.
CREATE VIEW VENDERECO_PESSOA (
  PESSOA_ID, INDICATIVO_PF_PJ, PJ_CGC, PF_CPF, NOME, SOBRENOME, NOME_FANTASIA,
  ENDERECO, MUNICIPIO, UF, CEP, MUNICIPIO_ID, ENDERECO_PESSOA_ID,
  TAB_STATUS_ID_PES, TAB_STATUS_ID_END, TAB_TIPO_ENDERECO_ID, BAIRRO, FONE
) AS
SELECT P.PESSOA_ID, P.INDICATIVO_PF_PJ, P.PJ_CGC, P.PF_CPF, P.NOME, P.SOBRENOME,
       P.NOME_FANTASIA, E.ENDERECO, M.MUNICIPIO, M.UF, E.CEP, E.MUNICIPIO_ID,
       E.ENDERECO_PESSOA_ID, P.TAB_STATUS_ID, E.TAB_STATUS_ID,
       E.TAB_TIPO_ENDERECO_ID, E.BAIRRO, E.FONE
  FROM PESSOA AS P
  JOIN ENDERECO_PESSOA AS E ON E.PESSOA_ID = P.PESSOA_ID
  -- An address without a town still belongs to its person.
  LEFT JOIN MUNICIPIO AS M ON M.MUNICIPIO_ID = E.MUNICIPIO_ID;

-- Collaborators with their person's names and the collaborator record's status.
CREATE VIEW VCOLABORADOR (COLABORADOR_ID, PESSOA_ID, NOME, NOME_FANTASIA, TAB_STATUS_ID) AS
SELECT C.COLABORADOR_ID, C.PESSOA_ID, P.NOME, P.NOME_FANTASIA, C.TAB_STATUS_ID
  FROM COLABORADOR AS C
  JOIN PESSOA AS P ON P.PESSOA_ID = C.PESSOA_ID;

-- Suppliers with their person's names and the supplier record's status.
CREATE VIEW VFORNECEDOR (FORNECEDOR_ID, PESSOA_ID, NOME, NOME_FANTASIA, TAB_STATUS_ID) AS
SELECT F.FORNECEDOR_ID, F.PESSOA_ID, P.NOME, P.NOME_FANTASIA, F.TAB_STATUS_ID
  FROM FORNECEDOR AS F
  JOIN PESSOA AS P ON P.PESSOA_ID = F.PESSOA_ID;

-- Vehicles -------------------------------------------------------------------

-- Vehicle types with their load capacity.
CREATE TABLE TAB_TIPO_VEICULO (
  TAB_TIPO_VEICULO_ID INTEGER PRIMARY KEY,
  DESCRICAO           VARCHAR(4000),
  CAPACIDADE_KG       NUMERIC(15,3)
);

-- Registered vehicles, tractors and trailers alike, a trailer names its tractor in CAVALO_ID.
CREATE TABLE VEICULO_FORNECEDOR (
  VEICULO_FORNECEDOR_ID    INTEGER PRIMARY KEY,
  PLACA                    VARCHAR(4000),      -- registration plate, 'MSV-1001'
  TAB_TIPO_VEICULO_ID      INTEGER,
  TAB_TIPO_PROP_VEICULO_ID INTEGER,   -- 1 own fleet, 2 collaborator's, 3 third party's
  COLABORADOR_ID           INTEGER,   -- owner when a collaborator's
  FORNECEDOR_ID            INTEGER,   -- owner when a supplier's
  CAVALO_ID                INTEGER,   -- the tractor, for a trailer
  TAB_STATUS_ID            INTEGER
);
CREATE INDEX VEICULO_FORNECEDOR_CAVALO ON VEICULO_FORNECEDOR (CAVALO_ID);

-- Operating points ----------------------------------------------------------

-- The company's operating points (branches), as a printed order shows them.
CREATE TABLE PONTO_OPERACAO (
  PONTO_OPERACAO_ID  INTEGER PRIMARY KEY,
  NOME               VARCHAR(4000),      -- branch name
  ENDERECO           VARCHAR(4000),
  BAIRRO             VARCHAR(4000),
  MUNICIPIO_ID       INTEGER,
  CEP                VARCHAR(4000),
  FONE               VARCHAR(4000),
  LIMITE_PROGR_CARGA NUMERIC(15,3),      -- tonnes, a programme with no more than this to ship closes
  TAB_STATUS_ID      INTEGER
);

-- Load programmes -------------------------------------------------------------

-- Load programmes: a customer's cargo for one destination and point, programmed/loaded/to ship.
CREATE TABLE PROGRAM_CARGA (
  PROGRAM_CARGA_ID    INTEGER PRIMARY KEY,
  NUM_PROGRAMACAO     INTEGER,   -- the number users know, compared with quoted text too
  CLIENTE_ID          INTEGER,   -- PESSOA_ID of the customer
  DESTINATARIO_ID     INTEGER,   -- PESSOA_ID of the destination
  END_DESTINATARIO_ID INTEGER,   -- ENDERECO_PESSOA_ID of the destination
  PONTO_OPERACAO_ID   INTEGER,
  ORIGEM_ID           INTEGER,   -- MUNICIPIO_ID the cargo leaves from
  TAB_TIPO_PRODUTO_ID INTEGER,
  TAB_TIPO_VEICULO_ID INTEGER,
  DATA_ATUAL          TIMESTAMP(0),      -- when the programme was entered
  PRAZO_ESCOAMENTO    INTEGER,   -- days allowed for shipping
  TON_PROGRAMADA      NUMERIC(15,3),      -- tonnes
  TON_CARREGADA       NUMERIC(15,3),      -- tonnes, null reads as 0
  TON_P_ESCOAR        NUMERIC(15,3),      -- tonnes, null reads as 0
  DATA_DISPON         TIMESTAMP(0),      -- available from (date and time)
  DATA_INI_PRAZO_CRIT TIMESTAMP(0),      -- start of the critical period
  DATA_MAX_ESCOAM     TIMESTAMP(0),      -- latest shipping date
  DATA_ENCERRAMENTO   TIMESTAMP(0),      -- closing moment, status 502 only
  PRECO_CARRETEIRO    NUMERIC(15,3),      -- freight paid per tonne (R$)
  OBSERV              VARCHAR(4000),
  TAB_STATUS_ID       INTEGER    -- 501 open, 502 closed, 503 not yet available,
                                 -- 504 critical period, 505 overdue, 2 cancelled
);
CREATE INDEX PROGRAM_CARGA_OFERTA
    ON PROGRAM_CARGA (CLIENTE_ID, DESTINATARIO_ID, PONTO_OPERACAO_ID);
CREATE INDEX PROGRAM_CARGA_NUMERO ON PROGRAM_CARGA (NUM_PROGRAMACAO);

-- Sales orders and displacements ------------------------------------------------

-- Customer (sales) orders that collection orders carry out.
CREATE TABLE PEDIDO (
  PEDIDO_ID            INTEGER PRIMARY KEY,
  CLIENTE_ID           INTEGER,
  -- The customer's own document number. Kept as text: it is written quoted
  -- and external numbers may carry leading zeros.
  NUM_PEDIDO_EXTERNO   VARCHAR(4000),
  DATA_PEDIDO          TIMESTAMP(0),
  FLAG_PED_ITEM_ABERTO VARCHAR(4000),      -- 'S' while some item still waits for transport
  TAB_STATUS_ID        INTEGER
);

-- Items of a sales order, each tied to the displacement that moves it.
CREATE TABLE PEDIDO_ITEM (
  PEDIDO_ITEM_ID  INTEGER PRIMARY KEY,
  PEDIDO_ID       INTEGER,
  DESCRICAO       VARCHAR(4000),
  QUANTIDADE      NUMERIC(15,3),           -- tonnes
  DESLOCAMENTO_ID INTEGER,
  TAB_STATUS_ID   INTEGER
);
CREATE INDEX PEDIDO_ITEM_PEDIDO ON PEDIDO_ITEM (PEDIDO_ID);
CREATE INDEX PEDIDO_ITEM_DESLOCAMENTO ON PEDIDO_ITEM (DESLOCAMENTO_ID);

-- Displacements (vehicle movements). Deliberately without an order column:
-- the order deletion joins this table with DESLOC_DOCTO_TRANSP and names
-- DOCTO_TRANSPORTE_ID unqualified.
CREATE TABLE DESLOCAMENTO (
  DESLOCAMENTO_ID          INTEGER PRIMARY KEY,
  TAB_TIPO_DESLOCAMENTO_ID INTEGER,   -- 3 is the one an order deletion cancels
  DATA_DESLOCAMENTO        TIMESTAMP(0),
  TAB_STATUS_ID            INTEGER    -- 1 active, 2 cancelled
);

-- Which displacement serves which collection order.
CREATE TABLE DESLOC_DOCTO_TRANSP (
  DESLOCAMENTO_ID     INTEGER,
  DOCTO_TRANSPORTE_ID INTEGER,
  TAB_STATUS_ID       INTEGER,
  PRIMARY KEY (DESLOCAMENTO_ID, DOCTO_TRANSPORTE_ID)
);
CREATE INDEX DESLOC_DOCTO_TRANSP_DOCTO ON DESLOC_DOCTO_TRANSP (DOCTO_TRANSPORTE_ID);

-- Collection orders -------------------------------------------------------------

-- Transport documents: collection orders of type 9 (user-numbered) and 5 (unnumbered).
CREATE TABLE DOCTO_TRANSPORTE (
  DOCTO_TRANSPORTE_ID      INTEGER PRIMARY KEY,
  TAB_STATUS_ID            INTEGER,   -- 1 active, 2 deleted, 615 still readable
  TAB_TIPO_DOCTO_TRANSP_ID INTEGER,
  NUM_DOCTO_TRANSPORTE     INTEGER,
  CLIENTE_ID               INTEGER,   -- PESSOA_ID of the customer
  PONTO_OPERACAO_ID        INTEGER,
  DATA_EMISSAO             TIMESTAMP(0),
  END_DESTINATARIO_ID      INTEGER,   -- ENDERECO_PESSOA_ID of the destination
  DESTINO_ID               INTEGER,   -- MUNICIPIO_ID of the destination
  DATA_PREV_CARREGAMENTO   TIMESTAMP(0),
  VEICULO_FORNECEDOR_ID    INTEGER,   -- the tractor
  COLABORADOR_ID           INTEGER,   -- a PESSOA_ID
  FORNECEDOR_ID            INTEGER,   -- the carrier's PESSOA_ID
  LOCAL_CARREG             VARCHAR(4000),
  PESO_PREVISTO            NUMERIC(15,3),      -- tonnes
  TXT_EMBALAGEM            VARCHAR(4000),
  OBSERV1                  VARCHAR(4000),
  FLAG_ADEME               VARCHAR(4000),      -- 'S' when the dangerous-load data below apply
  TAB_TIPO_RESPONSAVEL_ID  INTEGER,   -- 1 the company, 2 the customer, 3 the destination
  TAB_TIPO_EMERGENCIA_ID   INTEGER,
  GERADOR_TRANSPORTE_ID    INTEGER,   -- PESSOA_ID responsible for the transport
  PEDIDO_ID                INTEGER,
  END_REMETENTE_ID         INTEGER,   -- ENDERECO_PESSOA_ID of the sender
  EMPRESA_ID               INTEGER,
  VEICULO_CARRETA_ID       INTEGER,   -- the trailer
  ROTA_ID                  INTEGER,
  DATA_IMPRESSAO           TIMESTAMP(0),      -- set once the order has been printed
  CVA                      INTEGER    -- number of the order's electronic CVA file
);
CREATE INDEX DOCTO_TRANSPORTE_NUMERO
    ON DOCTO_TRANSPORTE (PONTO_OPERACAO_ID, TAB_TIPO_DOCTO_TRANSP_ID, NUM_DOCTO_TRANSPORTE);
CREATE INDEX DOCTO_TRANSPORTE_PEDIDO ON DOCTO_TRANSPORTE (PEDIDO_ID);

-- Order-programme links with the tonnage the order last took (null when it took 0).
CREATE TABLE HIST_PROGR_ESCOAM (
  HIST_PROGR_ESCOAM_ID INTEGER PRIMARY KEY,
  DOCTO_TRANSPORTE_ID  INTEGER,
  PROGRAM_CARGA_ID     INTEGER,
  ULTIMA_TON_PROGR     NUMERIC(15,3)       -- tonnes
);
CREATE INDEX HIST_PROGR_ESCOAM_DOCTO ON HIST_PROGR_ESCOAM (DOCTO_TRANSPORTE_ID);
CREATE INDEX HIST_PROGR_ESCOAM_PROGRAMA
    ON HIST_PROGR_ESCOAM (PROGRAM_CARGA_ID, DOCTO_TRANSPORTE_ID);
-- A programme's links newest first, for the link lookup that is told only
-- the programme (the embedded schema's index of the same name, whose key
-- follows the programme there implicitly).
CREATE INDEX HIST_PROGR_ESCOAM_RECENTES
    ON HIST_PROGR_ESCOAM (PROGRAM_CARGA_ID, HIST_PROGR_ESCOAM_ID);

-- Number ranges for automatic document numbering, per operating point and document type.
CREATE TABLE CONTR_NUM_DOCTOS (
  CONTR_NUM_DOCTOS_ID      INTEGER PRIMARY KEY,
  TAB_STATUS_ID            INTEGER,
  PONTO_OPERACAO_ID        INTEGER,
  TAB_TIPO_DOCTO_TRANSP_ID INTEGER,
  NUM_INICIAL              INTEGER,
  NUM_FINAL                INTEGER,
  NUM_ATUAL                INTEGER,   -- last number handed out, null while none has been
  QTDE_ATUAL               INTEGER,   -- numbers left in the range
  QTDE_SEGURANCA           INTEGER,   -- warn when fewer are left
  E_MAIL_AVISO             VARCHAR(4000)       -- who gets that warning
);
CREATE INDEX CONTR_NUM_DOCTOS_PONTO_TIPO
    ON CONTR_NUM_DOCTOS (PONTO_OPERACAO_ID, TAB_TIPO_DOCTO_TRANSP_ID, NUM_INICIAL);

-- Logs, jobs and counters ---------------------------------------------------------

-- Message log: one row per trapped run-time error, its text in pieces of 255 characters.
CREATE TABLE LOG_MSG (
  LOG_MSG_ID          INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,  -- left out by the inserts
  TAB_TIPO_MSG_ID     INTEGER,               -- 1 error
  USUARIO_INTERNET_ID INTEGER,
  DATA_LOG            TIMESTAMP(0),
  MSG01               VARCHAR(4000),
  MSG02               VARCHAR(4000),
  MSG03               VARCHAR(4000),
  MSG04               VARCHAR(4000),
  MSG05               VARCHAR(4000)
);

-- System action log: who did what to which row of which table.
CREATE TABLE LOG_SISTEMA (
  LOG_SISTEMA_ID    INTEGER PRIMARY KEY,
  TABELA_SISTEMA_ID INTEGER,   -- code of the table acted on (490 LOG_GERADOR)
  TAB_TIPO_ACAO_ID  INTEGER,   -- 1 insert
  USUARIO_ID        INTEGER,
  REGISTRO_ID       INTEGER,   -- key of the row acted on
  DATA_LOG          TIMESTAMP(0)
);

-- Background jobs (e-mail notices) for the job runner.
CREATE TABLE LOG_GERADOR (
  LOG_GERADOR_ID      INTEGER PRIMARY KEY,
  USUARIO_INTERNET_ID INTEGER,
  FUNCAO_ID           INTEGER,
  TITULO_EMAIL        VARCHAR(4000),
  FLAG_ENVIA_EMAIL    VARCHAR(4000),
  TEXTO_EMAIL         VARCHAR(4000),
  ENDERECO_EMAIL      VARCHAR(4000),
  TAB_STATUS_JOB_ID   INTEGER,   -- 1 waiting, 2 claimed, 3 done, 4 failed (docs/jobs.md)
  DATA_INICIO         TIMESTAMP(0),
  EMAIL_REMETENTE     VARCHAR(4000),
  ENDERECO_ANEXO      VARCHAR(4000),
  TXT_QUERY           VARCHAR(4000),  -- parameters: '__JOB__<id>__<p0>__<p1>...'
  -- Kept by the job runner (ocg jobs run):
  QTDE_TENTATIVAS        INTEGER,        -- attempts made
  TXT_ULTIMO_ERRO        VARCHAR(4000),  -- why the last attempt failed
  DATA_PROXIMA_TENTATIVA TIMESTAMP(0),   -- a retry waits until then
  TXT_EXECUTOR           VARCHAR(4000),  -- the runner holding the claim (host:pid)
  DATA_RESERVA           TIMESTAMP(0)    -- when it was claimed
);

-- Key counters: exactly one row, one column per counted key holding the last
-- value handed out. Emulated procedures also select their one-row results
-- from this table, so a second row would double every such result. Writers
-- lock this row first (the ODBC engine's write lock).
CREATE TABLE INFRA_IDS (
  DOCTO_TRANSPORTE_ID  INTEGER NOT NULL DEFAULT 0,
  HIST_PROGR_ESCOAM_ID INTEGER NOT NULL DEFAULT 0,
  LOG_GERADOR_ID       INTEGER NOT NULL DEFAULT 0,
  LOG_SISTEMA_ID       INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX INFRA_IDS_UMA_LINHA ON INFRA_IDS ((1));
INSERT INTO INFRA_IDS DEFAULT VALUES;

-- Schema versions: one row per version this database has been brought to
-- (ocg init-db records the one it creates, each upgrade step its own); the
-- highest is the database's version. The embedded file keeps its version in
-- PRAGMA user_version instead.
CREATE TABLE VERSAO_ESQUEMA (
  VERSAO         INTEGER PRIMARY KEY,
  DATA_APLICACAO TIMESTAMP(0) NOT NULL DEFAULT LOCALTIMESTAMP(0)
);
