-- 001_first_schema.sql: version 1, the schema of the first files ocg init-db
-- made, kept as it was so that a file of any version can be rebuilt and
-- recognised. Never edit it: a change to the schema is a new step.
--
-- (schema.sql as it then stood)
--
-- Conventions:
--   * Identifiers and codes are INTEGER; tonnages, weights, prices and
--     capacities are REAL; everything else TEXT. Where a table's key is its
--     row identity the key is an INTEGER PRIMARY KEY.
--   * Every date column is declared DATE: the driver hands such columns back
--     as date values. Dates are stored in one text form, 'yyyy-mm-dd hh:mm:ss'
--     (fixed width, so text order is time order), whatever literal wrote them:
--     the statements of both dialects write '2026/12/06 08:00', '06/12/2026',
--     TO_DATE(...) or sysdate. The *_DATAS_INS and *_DATAS_UPD triggers of
--     each table rewrite its date columns through ocg_date(), which the engine
--     registers on every connection; a connection without it cannot write
--     those tables.
--   * No foreign keys are declared: the component's outer and inner joins
--     decide what a missing neighbour means, and tests build orphan rows on
--     purpose. The relationships are named in the comments instead.
--   * Collaborators and suppliers keep their person's identifier as their own
--     (COLABORADOR_ID = PESSOA_ID, FORNECEDOR_ID = PESSOA_ID): the order query
--     reads an order's collaborator and carrier straight from PESSOA, and the
--     sender-address rule looks the carrier up in VENDERECO_PESSOA.

PRAGMA user_version = 1;

-- Registry: towns, persons and their addresses --------------------------------

-- Municipalities (towns) with their state.
CREATE TABLE MUNICIPIO (
  MUNICIPIO_ID INTEGER PRIMARY KEY,
  MUNICIPIO    TEXT,     -- the town's name
  UF           TEXT      -- state abbreviation: ES, MG, SP...
);

-- Persons: companies (PJ, with a CNPJ) and individuals (PF, with a CPF).
CREATE TABLE PESSOA (
  PESSOA_ID        INTEGER PRIMARY KEY,
  INDICATIVO_PF_PJ TEXT,     -- 'PF' or 'PJ'
  NOME             TEXT,     -- legal name (razão social) or full name
  SOBRENOME        TEXT,     -- surname, individuals only
  NOME_FANTASIA    TEXT,     -- trade name, or the name shown for individuals
  PJ_CGC           TEXT,     -- CNPJ as typed: '12.345.678/0001-90'
  PF_CPF           TEXT,     -- CPF as typed: '123.456.789-09'
  EMAIL            TEXT,
  TAB_STATUS_ID    INTEGER   -- 1 active, 2 inactive
);
CREATE INDEX PESSOA_PJ_CGC ON PESSOA (PJ_CGC);
CREATE INDEX PESSOA_PF_CPF ON PESSOA (PF_CPF);

-- Addresses of a person (PESSOA_ID); lookups take types 2 and 4, the lower first.
CREATE TABLE ENDERECO_PESSOA (
  ENDERECO_PESSOA_ID   INTEGER PRIMARY KEY,
  PESSOA_ID            INTEGER,
  TAB_TIPO_ENDERECO_ID INTEGER,   -- 1 billing, 2 main/commercial, 4 yard or site
  ENDERECO             TEXT,      -- street and number
  BAIRRO               TEXT,
  MUNICIPIO_ID         INTEGER,
  CEP                  TEXT,      -- '29090-600'
  FONE                 TEXT,
  TAB_STATUS_ID        INTEGER    -- 1 active, 2 cancelled
);
CREATE INDEX ENDERECO_PESSOA_PESSOA ON ENDERECO_PESSOA (PESSOA_ID);

-- Customers: the person record that may order collections.
CREATE TABLE CLIENTE (
  PESSOA_ID          INTEGER PRIMARY KEY,
  GRUPO_CLIENTE_ID   INTEGER,   -- group 32 ships dangerous loads via the carrier
  FLAG_PROGRAM_CARGA TEXT,      -- 'S' when the customer's orders draw on load programmes
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
  LOGIN          TEXT,
  COLABORADOR_ID INTEGER,
  FORNECEDOR_ID  INTEGER,
  PESSOA_ID      INTEGER,
  TAB_STATUS_ID  INTEGER
);

-- Persons with each address and its town; inactive ones included, both statuses shown.
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
  DESCRICAO           TEXT,
  CAPACIDADE_KG       REAL
);

-- Registered vehicles, tractors and trailers alike; a trailer names its tractor in CAVALO_ID.
CREATE TABLE VEICULO_FORNECEDOR (
  VEICULO_FORNECEDOR_ID    INTEGER PRIMARY KEY,
  PLACA                    TEXT,      -- registration plate, 'MSV-1001'
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
  NOME               TEXT,      -- branch name
  ENDERECO           TEXT,
  BAIRRO             TEXT,
  MUNICIPIO_ID       INTEGER,
  CEP                TEXT,
  FONE               TEXT,
  LIMITE_PROGR_CARGA REAL,      -- tonnes; a programme with no more than this to ship closes
  TAB_STATUS_ID      INTEGER
);

-- Load programmes -------------------------------------------------------------

-- Load programmes: a customer's cargo for one destination and point, programmed/loaded/to ship.
CREATE TABLE PROGRAM_CARGA (
  PROGRAM_CARGA_ID    INTEGER PRIMARY KEY,
  NUM_PROGRAMACAO     INTEGER,   -- the number users know; compared with quoted text too
  CLIENTE_ID          INTEGER,   -- PESSOA_ID of the customer
  DESTINATARIO_ID     INTEGER,   -- PESSOA_ID of the destination
  END_DESTINATARIO_ID INTEGER,   -- ENDERECO_PESSOA_ID of the destination
  PONTO_OPERACAO_ID   INTEGER,
  ORIGEM_ID           INTEGER,   -- MUNICIPIO_ID the cargo leaves from
  TAB_TIPO_PRODUTO_ID INTEGER,
  TAB_TIPO_VEICULO_ID INTEGER,
  DATA_ATUAL          DATE,      -- when the programme was entered
  PRAZO_ESCOAMENTO    INTEGER,   -- days allowed for shipping
  TON_PROGRAMADA      REAL,      -- tonnes
  TON_CARREGADA       REAL,      -- tonnes; null reads as 0
  TON_P_ESCOAR        REAL,      -- tonnes; null reads as 0
  DATA_DISPON         DATE,      -- available from (date and time)
  DATA_INI_PRAZO_CRIT DATE,      -- start of the critical period
  DATA_MAX_ESCOAM     DATE,      -- latest shipping date
  DATA_ENCERRAMENTO   DATE,      -- closing moment, status 502 only
  PRECO_CARRETEIRO    REAL,      -- freight paid per tonne (R$)
  OBSERV              TEXT,
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
  NUM_PEDIDO_EXTERNO   TEXT,
  DATA_PEDIDO          DATE,
  FLAG_PED_ITEM_ABERTO TEXT,      -- 'S' while some item still waits for transport
  TAB_STATUS_ID        INTEGER
);

-- Items of a sales order, each tied to the displacement that moves it.
CREATE TABLE PEDIDO_ITEM (
  PEDIDO_ITEM_ID  INTEGER PRIMARY KEY,
  PEDIDO_ID       INTEGER,
  DESCRICAO       TEXT,
  QUANTIDADE      REAL,           -- tonnes
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
  DATA_DESLOCAMENTO        DATE,
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
  DATA_EMISSAO             DATE,
  END_DESTINATARIO_ID      INTEGER,   -- ENDERECO_PESSOA_ID of the destination
  DESTINO_ID               INTEGER,   -- MUNICIPIO_ID of the destination
  DATA_PREV_CARREGAMENTO   DATE,
  VEICULO_FORNECEDOR_ID    INTEGER,   -- the tractor
  COLABORADOR_ID           INTEGER,   -- a PESSOA_ID
  FORNECEDOR_ID            INTEGER,   -- the carrier's PESSOA_ID
  LOCAL_CARREG             TEXT,
  PESO_PREVISTO            REAL,      -- tonnes
  TXT_EMBALAGEM            TEXT,
  OBSERV1                  TEXT,
  FLAG_ADEME               TEXT,      -- 'S' when the dangerous-load data below apply
  TAB_TIPO_RESPONSAVEL_ID  INTEGER,   -- 1 the company, 2 the customer, 3 the destination
  TAB_TIPO_EMERGENCIA_ID   INTEGER,
  GERADOR_TRANSPORTE_ID    INTEGER,   -- PESSOA_ID responsible for the transport
  PEDIDO_ID                INTEGER,
  END_REMETENTE_ID         INTEGER,   -- ENDERECO_PESSOA_ID of the sender
  EMPRESA_ID               INTEGER,
  VEICULO_CARRETA_ID       INTEGER,   -- the trailer
  ROTA_ID                  INTEGER,
  DATA_IMPRESSAO           DATE,      -- set once the order has been printed
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
  ULTIMA_TON_PROGR     REAL       -- tonnes
);
CREATE INDEX HIST_PROGR_ESCOAM_DOCTO ON HIST_PROGR_ESCOAM (DOCTO_TRANSPORTE_ID);
CREATE INDEX HIST_PROGR_ESCOAM_PROGRAMA
    ON HIST_PROGR_ESCOAM (PROGRAM_CARGA_ID, DOCTO_TRANSPORTE_ID);

-- Number ranges for automatic document numbering, per operating point and document type.
CREATE TABLE CONTR_NUM_DOCTOS (
  CONTR_NUM_DOCTOS_ID      INTEGER PRIMARY KEY,
  TAB_STATUS_ID            INTEGER,
  PONTO_OPERACAO_ID        INTEGER,
  TAB_TIPO_DOCTO_TRANSP_ID INTEGER,
  NUM_INICIAL              INTEGER,
  NUM_FINAL                INTEGER,
  NUM_ATUAL                INTEGER,   -- last number handed out; null while none has been
  QTDE_ATUAL               INTEGER,   -- numbers left in the range
  QTDE_SEGURANCA           INTEGER,   -- warn when fewer are left
  E_MAIL_AVISO             TEXT       -- who gets that warning
);
CREATE INDEX CONTR_NUM_DOCTOS_PONTO_TIPO
    ON CONTR_NUM_DOCTOS (PONTO_OPERACAO_ID, TAB_TIPO_DOCTO_TRANSP_ID, NUM_INICIAL);

-- Logs, jobs and counters ---------------------------------------------------------

-- Message log: one row per trapped run-time error, its text in pieces of 255 characters.
CREATE TABLE LOG_MSG (
  LOG_MSG_ID          INTEGER PRIMARY KEY,   -- left out by the inserts
  TAB_TIPO_MSG_ID     INTEGER,               -- 1 error
  USUARIO_INTERNET_ID INTEGER,
  DATA_LOG            DATE,
  MSG01               TEXT,
  MSG02               TEXT,
  MSG03               TEXT,
  MSG04               TEXT,
  MSG05               TEXT
);

-- System action log: who did what to which row of which table.
CREATE TABLE LOG_SISTEMA (
  LOG_SISTEMA_ID    INTEGER PRIMARY KEY,
  TABELA_SISTEMA_ID INTEGER,   -- code of the table acted on (490 LOG_GERADOR)
  TAB_TIPO_ACAO_ID  INTEGER,   -- 1 insert
  USUARIO_ID        INTEGER,
  REGISTRO_ID       INTEGER,   -- key of the row acted on
  DATA_LOG          DATE
);

-- Background jobs (e-mail notices) for the job runner.
CREATE TABLE LOG_GERADOR (
  LOG_GERADOR_ID      INTEGER PRIMARY KEY,
  USUARIO_INTERNET_ID INTEGER,
  FUNCAO_ID           INTEGER,
  TITULO_EMAIL        TEXT,
  FLAG_ENVIA_EMAIL    TEXT,
  TEXTO_EMAIL         TEXT,
  ENDERECO_EMAIL      TEXT,
  TAB_STATUS_JOB_ID   INTEGER,   -- 1 waiting
  DATA_INICIO         DATE,
  EMAIL_REMETENTE     TEXT,
  ENDERECO_ANEXO      TEXT,
  TXT_QUERY           TEXT       -- parameters: '__JOB__<id>__<p0>__<p1>...'
);

-- Key counters: exactly one row, one column per counted key holding the last
-- value handed out. Emulated procedures also select their one-row results
-- from this table, so a second row would double every such result.
CREATE TABLE INFRA_IDS (
  DOCTO_TRANSPORTE_ID  INTEGER NOT NULL DEFAULT 0,
  HIST_PROGR_ESCOAM_ID INTEGER NOT NULL DEFAULT 0,
  LOG_GERADOR_ID       INTEGER NOT NULL DEFAULT 0,
  LOG_SISTEMA_ID       INTEGER NOT NULL DEFAULT 0
);
CREATE TRIGGER INFRA_IDS_UMA_LINHA BEFORE INSERT ON INFRA_IDS
WHEN EXISTS (SELECT 1 FROM INFRA_IDS)
BEGIN
  SELECT RAISE(ABORT, 'INFRA_IDS holds exactly one row');
END;
INSERT INTO INFRA_IDS DEFAULT VALUES;

-- Date canonicalisation -----------------------------------------------------------
-- Each pair rewrites the row's date columns into 'yyyy-mm-dd hh:mm:ss' after an
-- insert or an update of one of them. The IS NOT test skips rows already in
-- that form, so the rewrite never loops and leaves other values alone.

CREATE TRIGGER DOCTO_TRANSPORTE_DATAS_INS AFTER INSERT ON DOCTO_TRANSPORTE
BEGIN
  UPDATE DOCTO_TRANSPORTE
     SET DATA_EMISSAO = ocg_date(DATA_EMISSAO),
         DATA_PREV_CARREGAMENTO = ocg_date(DATA_PREV_CARREGAMENTO),
         DATA_IMPRESSAO = ocg_date(DATA_IMPRESSAO)
   WHERE rowid = NEW.rowid
     AND (DATA_EMISSAO IS NOT ocg_date(DATA_EMISSAO)
          OR DATA_PREV_CARREGAMENTO IS NOT ocg_date(DATA_PREV_CARREGAMENTO)
          OR DATA_IMPRESSAO IS NOT ocg_date(DATA_IMPRESSAO));
END;
CREATE TRIGGER DOCTO_TRANSPORTE_DATAS_UPD
AFTER UPDATE OF DATA_EMISSAO, DATA_PREV_CARREGAMENTO, DATA_IMPRESSAO ON DOCTO_TRANSPORTE
BEGIN
  UPDATE DOCTO_TRANSPORTE
     SET DATA_EMISSAO = ocg_date(DATA_EMISSAO),
         DATA_PREV_CARREGAMENTO = ocg_date(DATA_PREV_CARREGAMENTO),
         DATA_IMPRESSAO = ocg_date(DATA_IMPRESSAO)
   WHERE rowid = NEW.rowid
     AND (DATA_EMISSAO IS NOT ocg_date(DATA_EMISSAO)
          OR DATA_PREV_CARREGAMENTO IS NOT ocg_date(DATA_PREV_CARREGAMENTO)
          OR DATA_IMPRESSAO IS NOT ocg_date(DATA_IMPRESSAO));
END;

CREATE TRIGGER PROGRAM_CARGA_DATAS_INS AFTER INSERT ON PROGRAM_CARGA
BEGIN
  UPDATE PROGRAM_CARGA
     SET DATA_ATUAL = ocg_date(DATA_ATUAL),
         DATA_DISPON = ocg_date(DATA_DISPON),
         DATA_INI_PRAZO_CRIT = ocg_date(DATA_INI_PRAZO_CRIT),
         DATA_MAX_ESCOAM = ocg_date(DATA_MAX_ESCOAM),
         DATA_ENCERRAMENTO = ocg_date(DATA_ENCERRAMENTO)
   WHERE rowid = NEW.rowid
     AND (DATA_ATUAL IS NOT ocg_date(DATA_ATUAL)
          OR DATA_DISPON IS NOT ocg_date(DATA_DISPON)
          OR DATA_INI_PRAZO_CRIT IS NOT ocg_date(DATA_INI_PRAZO_CRIT)
          OR DATA_MAX_ESCOAM IS NOT ocg_date(DATA_MAX_ESCOAM)
          OR DATA_ENCERRAMENTO IS NOT ocg_date(DATA_ENCERRAMENTO));
END;
CREATE TRIGGER PROGRAM_CARGA_DATAS_UPD
AFTER UPDATE OF DATA_ATUAL, DATA_DISPON, DATA_INI_PRAZO_CRIT, DATA_MAX_ESCOAM,
                DATA_ENCERRAMENTO ON PROGRAM_CARGA
BEGIN
  UPDATE PROGRAM_CARGA
     SET DATA_ATUAL = ocg_date(DATA_ATUAL),
         DATA_DISPON = ocg_date(DATA_DISPON),
         DATA_INI_PRAZO_CRIT = ocg_date(DATA_INI_PRAZO_CRIT),
         DATA_MAX_ESCOAM = ocg_date(DATA_MAX_ESCOAM),
         DATA_ENCERRAMENTO = ocg_date(DATA_ENCERRAMENTO)
   WHERE rowid = NEW.rowid
     AND (DATA_ATUAL IS NOT ocg_date(DATA_ATUAL)
          OR DATA_DISPON IS NOT ocg_date(DATA_DISPON)
          OR DATA_INI_PRAZO_CRIT IS NOT ocg_date(DATA_INI_PRAZO_CRIT)
          OR DATA_MAX_ESCOAM IS NOT ocg_date(DATA_MAX_ESCOAM)
          OR DATA_ENCERRAMENTO IS NOT ocg_date(DATA_ENCERRAMENTO));
END;

CREATE TRIGGER PEDIDO_DATAS_INS AFTER INSERT ON PEDIDO
BEGIN
  UPDATE PEDIDO SET DATA_PEDIDO = ocg_date(DATA_PEDIDO)
   WHERE rowid = NEW.rowid AND DATA_PEDIDO IS NOT ocg_date(DATA_PEDIDO);
END;
CREATE TRIGGER PEDIDO_DATAS_UPD AFTER UPDATE OF DATA_PEDIDO ON PEDIDO
BEGIN
  UPDATE PEDIDO SET DATA_PEDIDO = ocg_date(DATA_PEDIDO)
   WHERE rowid = NEW.rowid AND DATA_PEDIDO IS NOT ocg_date(DATA_PEDIDO);
END;

CREATE TRIGGER DESLOCAMENTO_DATAS_INS AFTER INSERT ON DESLOCAMENTO
BEGIN
  UPDATE DESLOCAMENTO SET DATA_DESLOCAMENTO = ocg_date(DATA_DESLOCAMENTO)
   WHERE rowid = NEW.rowid AND DATA_DESLOCAMENTO IS NOT ocg_date(DATA_DESLOCAMENTO);
END;
CREATE TRIGGER DESLOCAMENTO_DATAS_UPD AFTER UPDATE OF DATA_DESLOCAMENTO ON DESLOCAMENTO
BEGIN
  UPDATE DESLOCAMENTO SET DATA_DESLOCAMENTO = ocg_date(DATA_DESLOCAMENTO)
   WHERE rowid = NEW.rowid AND DATA_DESLOCAMENTO IS NOT ocg_date(DATA_DESLOCAMENTO);
END;

CREATE TRIGGER LOG_MSG_DATAS_INS AFTER INSERT ON LOG_MSG
BEGIN
  UPDATE LOG_MSG SET DATA_LOG = ocg_date(DATA_LOG)
   WHERE rowid = NEW.rowid AND DATA_LOG IS NOT ocg_date(DATA_LOG);
END;
CREATE TRIGGER LOG_MSG_DATAS_UPD AFTER UPDATE OF DATA_LOG ON LOG_MSG
BEGIN
  UPDATE LOG_MSG SET DATA_LOG = ocg_date(DATA_LOG)
   WHERE rowid = NEW.rowid AND DATA_LOG IS NOT ocg_date(DATA_LOG);
END;

CREATE TRIGGER LOG_SISTEMA_DATAS_INS AFTER INSERT ON LOG_SISTEMA
BEGIN
  UPDATE LOG_SISTEMA SET DATA_LOG = ocg_date(DATA_LOG)
   WHERE rowid = NEW.rowid AND DATA_LOG IS NOT ocg_date(DATA_LOG);
END;
CREATE TRIGGER LOG_SISTEMA_DATAS_UPD AFTER UPDATE OF DATA_LOG ON LOG_SISTEMA
BEGIN
  UPDATE LOG_SISTEMA SET DATA_LOG = ocg_date(DATA_LOG)
   WHERE rowid = NEW.rowid AND DATA_LOG IS NOT ocg_date(DATA_LOG);
END;

CREATE TRIGGER LOG_GERADOR_DATAS_INS AFTER INSERT ON LOG_GERADOR
BEGIN
  UPDATE LOG_GERADOR SET DATA_INICIO = ocg_date(DATA_INICIO)
   WHERE rowid = NEW.rowid AND DATA_INICIO IS NOT ocg_date(DATA_INICIO);
END;
CREATE TRIGGER LOG_GERADOR_DATAS_UPD AFTER UPDATE OF DATA_INICIO ON LOG_GERADOR
BEGIN
  UPDATE LOG_GERADOR SET DATA_INICIO = ocg_date(DATA_INICIO)
   WHERE rowid = NEW.rowid AND DATA_INICIO IS NOT ocg_date(DATA_INICIO);
END;
