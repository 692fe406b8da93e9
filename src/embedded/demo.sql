-- demo.sql: a small demonstration data set for the embedded database, loaded
-- after schema.sql when a database is created with the demo option
-- ("ocg init-db --demo PATH"). docs/demo-data.md is the guide.
--
-- Identifiers are chosen to be remembered:
--   persons       1 the company itself, 101-104 customers, 201-205 destinations,
--                 301-303 collaborators, 401-402 carriers, 501-502 staff
--   addresses     person id and one digit: 1011 is an address of person 101
--   programmes    11-16 customer 101 -> destination 201 at point 1, 21-22
--                 customer 102 -> 202 at point 2, 31 customer 103 -> 203 at
--                 point 1, 41 customer 102 -> 204 (cancelled address);
--                 NUM_PROGRAMACAO is 2026000 + the id
--   orders        1-10 one case each, 120-125 numbered 120-125 (a used range)
-- Collaborators and carriers use their person's id (301 is person 301).
--
-- Dates are written in the three literal forms the statements use
-- ('2026/12/06 08:00', '06/12/2026', '2026-12-06 08:00:00'); the schema's
-- triggers store every one of them as 'yyyy-mm-dd hh:mm:ss'. Programme dates
-- are set so that each stored status is the one the status rule gives from
-- December 2026 to the end of June 2027; after that, recomputing a status
-- moves programme 12 to 505 and, later, the open ones to 504.

-- Towns ------------------------------------------------------------------------

INSERT INTO MUNICIPIO (MUNICIPIO_ID, MUNICIPIO, UF) VALUES
  (1, 'VITÓRIA', 'ES'),
  (2, 'SERRA', 'ES'),
  (3, 'BELO HORIZONTE', 'MG'),
  (4, 'SÃO PAULO', 'SP'),
  (5, 'IPATINGA', 'MG'),
  (6, 'VILA VELHA', 'ES');

-- Persons ----------------------------------------------------------------------

INSERT INTO PESSOA (PESSOA_ID, INDICATIVO_PF_PJ, NOME, SOBRENOME, NOME_FANTASIA, PJ_CGC,
                    PF_CPF, EMAIL, TAB_STATUS_ID) VALUES
  -- The company itself: owner of the own fleet.
  (1, 'PJ', 'TARVOSA TRANSPORTES E SERVIÇOS LTDA', NULL, 'TARVOSA TRANSPORTES E SERVIÇOS',
   '04.321.987/0001-10', NULL, 'sistemas@tarvosa.com.br', 1),
  -- Customers.
  (101, 'PJ', 'SIDERÚRGICA CAPIXABA S.A.', NULL, 'SIDERÚRGICA CAPIXABA',
   '12.345.678/0001-90', NULL, 'logistica@sidcapixaba.com.br', 1),
  (102, 'PJ', 'MINERAÇÃO VALE DO AÇO LTDA', NULL, 'MINERAÇÃO VALE DO AÇO',
   '23.456.789/0001-01', NULL, 'expedicao@mvaco.com.br', 1),
  (103, 'PJ', 'CIMENTOS SERRA DO MAR LTDA', NULL, 'CIMENTOS SERRA DO MAR',
   '34.567.890/0001-12', NULL, NULL, 1),
  (104, 'PJ', 'PAPEL PAULISTA INDÚSTRIA E COMÉRCIO S.A.', NULL, 'PAPEL PAULISTA',
   '45.678.901/0001-23', NULL, NULL, 1),
  -- Destinations: two companies, two individuals, one inactive company.
  (201, 'PJ', 'METALÚRGICA HORIZONTE LTDA', NULL, 'METALÚRGICA HORIZONTE',
   '56.789.012/0001-34', NULL, NULL, 1),
  (202, 'PJ', 'CONSTRUTORA PAULISTA S.A.', NULL, 'CONSTRUTORA PAULISTA',
   '67.890.123/0001-45', NULL, NULL, 1),
  (203, 'PF', 'JOÃO CARLOS DA SILVA', 'DA SILVA', 'JOÃO CARLOS DA SILVA',
   NULL, '123.456.789-09', 'joao.silva@hotmail.com', 1),
  (204, 'PF', 'MARIA APARECIDA SOUZA', 'SOUZA', 'MARIA APARECIDA SOUZA',
   NULL, '987.654.321-00', NULL, 1),
  (205, 'PJ', 'COMERCIAL IPATINGA LTDA', NULL, 'COMERCIAL IPATINGA',
   '78.901.234/0001-56', NULL, NULL, 2),
  -- Collaborators (owner-drivers); 303 has an inactive collaborator record.
  (301, 'PF', 'JOSÉ FERREIRA SANTOS', 'FERREIRA SANTOS', 'JOSÉ FERREIRA SANTOS',
   NULL, '111.444.777-35', 'jose.ferreira@gmail.com', 1),
  (302, 'PF', 'ANTÔNIO PEREIRA LIMA', 'PEREIRA LIMA', 'ANTÔNIO PEREIRA LIMA',
   NULL, '222.555.888-46', NULL, 1),
  (303, 'PF', 'CARLOS ALBERTO ROCHA', 'ROCHA', 'CARLOS ALBERTO ROCHA',
   NULL, '333.666.999-57', 'carlos.rocha@yahoo.com.br', 1),
  -- Carriers.
  (401, 'PJ', 'TRANSPORTADORA RODOVIX LTDA', NULL, 'RODOVIX',
   '89.012.345/0001-67', NULL, 'trafego@rodovix.com.br', 1),
  (402, 'PJ', 'EXPRESSO VALE DO AÇO LTDA', NULL, 'EXPRESSO VALE DO AÇO',
   '90.123.456/0001-78', NULL, 'operacao@expressovaledoaco.com.br', 1),
  -- Staff linked directly to users; 502's address is longer than the 100
  -- characters a job recipient may have.
  (501, 'PF', 'ANA PAULA COSTA', 'COSTA', 'ANA PAULA COSTA',
   NULL, '444.777.000-68', 'ana.costa@tarvosa.com.br', 1),
  (502, 'PF', 'RICARDO MENDES OLIVEIRA', 'MENDES OLIVEIRA', 'RICARDO MENDES OLIVEIRA',
   NULL, '555.888.111-79',
   'ricardo.mendes.oliveira.coordenacao.de.logistica.e.transportes.filial.vitoria@tarvosa-transportes-e-servicos.com.br', 1);

-- Addresses: type 2 is the main address, 4 a yard or site, 1 billing (never
-- offered). Person 201's type-4 address has the lower id, so lookups show
-- that type 2 wins; person 204's type-2 address is cancelled (status 2).
INSERT INTO ENDERECO_PESSOA (ENDERECO_PESSOA_ID, PESSOA_ID, TAB_TIPO_ENDERECO_ID, ENDERECO,
                             BAIRRO, MUNICIPIO_ID, CEP, FONE, TAB_STATUS_ID) VALUES
  (11, 1, 2, 'AV. NOSSA SENHORA DA PENHA, 1495', 'SANTA LÚCIA', 1, '29056-250', '(27) 3200-1000', 1),
  (12, 1, 4, 'RODOVIA BR-101 NORTE, KM 265', 'CIVIT II', 2, '29168-020', '(27) 3200-1010', 1),
  (1011, 101, 2, 'AV. BRIGADEIRO EDUARDO GOMES, 930', 'JARDIM LIMOEIRO', 2, '29164-280', '(27) 3348-5000', 1),
  (1012, 101, 4, 'RUA DO PORTO, 300', 'ILHA DO PRÍNCIPE', 1, '29020-200', '(27) 3348-5100', 1),
  (1013, 101, 1, 'AV. PAULISTA, 1842, CONJ. 155', 'BELA VISTA', 4, '01310-200', '(11) 3285-4000', 1),
  (1021, 102, 2, 'AV. PEDRO LINHARES GOMES, 3900', 'BOM RETIRO', 5, '35160-294', '(31) 3822-7000', 1),
  (1022, 102, 4, 'RUA DOS GUAJAJARAS, 1470', 'BARRO PRETO', 3, '30180-101', '(31) 3295-7100', 1),
  (1031, 103, 2, 'RODOVIA ES-010, KM 4', 'CARAPINA', 2, '29161-001', '(27) 3251-2000', 1),
  (1032, 103, 4, 'AV. CARLOS LINDENBERG, 5050', 'COBILÂNDIA', 6, '29111-215', '(27) 3251-2100', 1),
  (1041, 104, 2, 'RUA FUNCHAL, 418', 'VILA OLÍMPIA', 4, '04551-060', '(11) 3045-6000', 1),
  (1042, 104, 4, 'AV. DAS NAÇÕES UNIDAS, 12901', 'BROOKLIN', 4, '04578-910', '(11) 3045-6100', 1),
  (2011, 201, 4, 'RUA CONTORNO INDUSTRIAL, 77', 'CINCÃO', 3, '32371-610', '(31) 3392-8100', 1),
  (2012, 201, 2, 'AV. AMAZONAS, 7200', 'GAMELEIRA', 3, '30510-000', '(31) 3392-8000', 1),
  (2021, 202, 2, 'AV. ENGENHEIRO LUÍS CARLOS BERRINI, 1500', 'CIDADE MONÇÕES', 4, '04571-000', '(11) 5501-3000', 1),
  (2022, 202, 4, 'RUA DO CANTEIRO, 40', 'JAGUARÉ', 4, '05330-000', '(11) 5501-3100', 1),
  (2031, 203, 2, 'RUA HENRIQUE MOSCOSO, 1000, AP. 402', 'PRAIA DA COSTA', 6, '29101-345', '(27) 99812-3344', 1),
  (2032, 203, 4, 'RUA SETE, 120', 'JARDIM CAMBURI', 1, '29090-600', NULL, 1),
  (2041, 204, 2, 'RUA DAS PALMEIRAS, 55', 'CENTRO', 5, '35160-011', '(31) 98877-6655', 2),
  (2042, 204, 4, 'RUA DIAMANTINA, 210', 'IGUAÇU', 5, '35162-087', NULL, 1),
  (2051, 205, 2, 'AV. MACAPÁ, 1200', 'VILA IPANEMA', 5, '35160-371', '(31) 3824-1200', 1),
  (2052, 205, 4, 'RUA TIRADENTES, 90', 'CENTRO', 5, '35160-015', NULL, 1),
  (3011, 301, 2, 'RUA ITAPEMIRIM, 33', 'LARANJEIRAS', 2, '29165-140', '(27) 99700-1122', 1),
  (3012, 301, 4, 'RUA DOS CAMINHONEIROS, 12', 'CIVIT I', 2, '29168-030', NULL, 1),
  (3021, 302, 2, 'RUA DOM PEDRO II, 408', 'CENTRO', 6, '29100-300', '(27) 99600-3344', 1),
  (3022, 302, 4, 'AV. CENTRAL, 1500', 'LARANJEIRAS', 2, '29165-130', NULL, 1),
  (3031, 303, 2, 'RUA SANTA LUZIA, 70', 'CENTRO', 1, '29010-350', NULL, 1),
  (3032, 303, 4, 'RUA DO ACESSO, 5', 'CARAPINA', 2, '29161-300', NULL, 1),
  (4011, 401, 2, 'RODOVIA DO CONTORNO, KM 12', 'CARAPINA', 2, '29161-200', '(27) 3338-9000', 1),
  (4012, 401, 4, 'RUA DA GARAGEM, 300', 'CIVIT II', 2, '29168-050', '(27) 3338-9100', 1),
  (4021, 402, 2, 'AV. ROBERTO CARNEIRO, 800', 'VILA IPANEMA', 5, '35160-380', '(31) 3826-4000', 1),
  (4022, 402, 4, 'RODOVIA BR-381, KM 210', 'DISTRITO INDUSTRIAL', 5, '35160-900', NULL, 1),
  (5011, 501, 2, 'RUA CHAPOT PRESVOT, 390, AP. 1203', 'PRAIA DO CANTO', 1, '29055-410', NULL, 1),
  (5012, 501, 4, 'AV. DANTE MICHELINI, 5500', 'JARDIM CAMBURI', 1, '29090-900', NULL, 1),
  (5021, 502, 2, 'RUA ALOÍSIO SIMÕES, 140', 'BENTO FERREIRA', 1, '29050-632', NULL, 1),
  (5022, 502, 4, 'AV. DANTE MICHELINI, 5500', 'JARDIM CAMBURI', 1, '29090-900', NULL, 1);

-- Customer records: 101 is in group 32 (dangerous loads go out under the
-- carrier's address); 103 does not work with programmes; 104's record is
-- inactive, so it has no programme flag.
INSERT INTO CLIENTE (PESSOA_ID, GRUPO_CLIENTE_ID, FLAG_PROGRAM_CARGA, TAB_STATUS_ID) VALUES
  (101, 32, 'S', 1),
  (102, 10, 'S', 1),
  (103, 10, 'N', 1),
  (104, 20, 'S', 2);

INSERT INTO COLABORADOR (COLABORADOR_ID, PESSOA_ID, TAB_STATUS_ID) VALUES
  (301, 301, 1),
  (302, 302, 1),
  (303, 303, 2);

INSERT INTO FORNECEDOR (FORNECEDOR_ID, PESSOA_ID, TAB_STATUS_ID) VALUES
  (401, 401, 1),
  (402, 402, 1);

-- Users: 1 is the administrator (sees technical details); the others show
-- each way of finding a user's e-mail address.
INSERT INTO USUARIO (USUARIO_ID, LOGIN, COLABORADOR_ID, FORNECEDOR_ID, PESSOA_ID,
                     TAB_STATUS_ID) VALUES
  (1, 'ADMIN', NULL, NULL, 1, 1),         -- sistemas@tarvosa.com.br
  (2, 'JFERREIRA', 301, NULL, NULL, 1),   -- collaborator: jose.ferreira@gmail.com
  (3, 'RODOVIX', NULL, 401, NULL, 1),     -- supplier: trafego@rodovix.com.br
  (4, 'APCOSTA', NULL, NULL, 501, 1),     -- person: ana.costa@tarvosa.com.br
  (5, 'VISITANTE', NULL, NULL, NULL, 1),  -- no link: no address
  (6, 'EXPRESSO', NULL, 402, 501, 1),     -- supplier and person: the person wins
  (7, 'APLIMA', 302, NULL, NULL, 1),      -- collaborator without an address
  (8, 'RMENDES', NULL, NULL, 502, 1);     -- an address over 100 characters

-- Vehicles ---------------------------------------------------------------------

INSERT INTO TAB_TIPO_VEICULO (TAB_TIPO_VEICULO_ID, DESCRICAO, CAPACIDADE_KG) VALUES
  (1, 'CAVALO MECÂNICO 6X2', 45000),
  (2, 'CARRETA 3 EIXOS', 27000),
  (3, 'BITREM 7 EIXOS', 37000),
  (4, 'TRUCK', 14000);

-- Tractors 1-7, trailers 11-32 (trailer 1x belongs to tractor x).
INSERT INTO VEICULO_FORNECEDOR (VEICULO_FORNECEDOR_ID, PLACA, TAB_TIPO_VEICULO_ID,
                                TAB_TIPO_PROP_VEICULO_ID, COLABORADOR_ID, FORNECEDOR_ID,
                                CAVALO_ID, TAB_STATUS_ID) VALUES
  (1, 'MSV-1001', 1, 1, NULL, NULL, NULL, 1),  -- own fleet, two trailers
  (2, 'MTQ-2002', 1, 2, 301, NULL, NULL, 1),   -- collaborator 301's, two trailers
  (3, 'GKL-3003', 3, 3, NULL, 401, NULL, 1),   -- carrier 401's, one active trailer
  (4, 'HBR-4004', 4, 3, NULL, NULL, NULL, 1),  -- neither collaborator nor carrier, no trailer
  (5, 'MPO-5005', 1, 2, 303, NULL, NULL, 1),   -- collaborator 303's (inactive collaborator)
  (6, 'MSV-1006', 1, 1, NULL, NULL, NULL, 2),  -- own fleet, inactive
  (7, 'GVA-7007', 3, 3, NULL, 402, NULL, 1),   -- carrier 402's
  (11, 'MSV-1011', 2, 1, NULL, NULL, 1, 1),
  (12, 'MSV-1012', 2, 1, NULL, NULL, 1, 1),
  (21, 'MTQ-2021', 2, 2, 301, NULL, 2, 1),
  (22, 'MTQ-2022', 2, 2, 301, NULL, 2, 1),
  (31, 'GKL-3031', 2, 3, NULL, 401, 3, 1),
  (32, 'GKL-3032', 2, 3, NULL, 401, 3, 2);     -- inactive: never listed

-- Operating points -------------------------------------------------------------

INSERT INTO PONTO_OPERACAO (PONTO_OPERACAO_ID, NOME, ENDERECO, BAIRRO, MUNICIPIO_ID, CEP, FONE,
                            LIMITE_PROGR_CARGA, TAB_STATUS_ID) VALUES
  (1, 'FILIAL VITÓRIA - PORTO DE TUBARÃO', 'AV. DANTE MICHELINI, 5500', 'JARDIM CAMBURI', 1,
   '29090-900', '(27) 3333-1000', 5, 1),
  (2, 'FILIAL SERRA - CIVIT', 'RUA JOÃO PALÁCIO, 1400', 'CIVIT II', 2,
   '29168-066', '(27) 3241-2000', 10, 1),
  (3, 'FILIAL IPATINGA', 'AV. PEDRO LINHARES GOMES, 5431', 'HORTO', 5,
   '35160-290', '(31) 3829-3000', 0, 1);

-- Load programmes ----------------------------------------------------------------
-- TON_CARREGADA includes the takes of the orders linked below (HIST_PROGR_ESCOAM)
-- plus loads of older orders no longer on file; TON_P_ESCOAR is what remains.
-- 15 was closed by order 2's take and stores null tonnage to ship, as a
-- closing write does.

INSERT INTO PROGRAM_CARGA (PROGRAM_CARGA_ID, NUM_PROGRAMACAO, CLIENTE_ID, DESTINATARIO_ID,
                           END_DESTINATARIO_ID, PONTO_OPERACAO_ID, ORIGEM_ID,
                           TAB_TIPO_PRODUTO_ID, TAB_TIPO_VEICULO_ID, DATA_ATUAL,
                           PRAZO_ESCOAMENTO, TON_PROGRAMADA, TON_CARREGADA, TON_P_ESCOAR,
                           DATA_DISPON, DATA_INI_PRAZO_CRIT, DATA_MAX_ESCOAM,
                           DATA_ENCERRAMENTO, PRECO_CARRETEIRO, OBSERV, TAB_STATUS_ID) VALUES
  -- 501 open: available, critical period still ahead.
  (11, 2026011, 101, 201, 2012, 1, 2, 1, 2, '2026/09/20 10:00', 365, 300, 60, 240,
   '2026/10/01 07:00', '2027/09/01 00:00', '2027/10/31 23:59', NULL, 85.5,
   'BOBINAS LAMINADAS A QUENTE', 501),
  -- 504 critical period: started, latest shipping date ahead.
  (12, 2026012, 101, 201, 2012, 1, 2, 1, 2, '25/08/2026', 300, 200, 150, 50,
   '01/09/2026', '20/11/2026', '30/06/2027', NULL, 85.5, 'BOBINAS A FRIO', 504),
  -- 503 not yet available.
  (13, 2026013, 101, 201, 2012, 1, 2, 1, 2, '2026-11-10 09:30:00', 120, 100, NULL, 100,
   '2027-12-01 08:00:00', '2028-02-01 00:00:00', '2028-03-31 23:59:00', NULL, 90,
   'PROGRAMAÇÃO 2028 - CHAPAS GROSSAS', 503),
  -- 505 overdue: latest shipping date passed with tonnage left.
  (14, 2026014, 101, 201, 2012, 1, 2, 1, 2, '2026/04/28 15:00', 180, 120, 100, 20,
   '2026/05/04 07:00', '2026/07/01 00:00', '2026/10/31 23:59', NULL, 80, NULL, 505),
  -- 502 closed: nothing left to ship (null), closing moment stored.
  (15, 2026015, 101, 201, 2012, 1, 2, 1, 2, '15/07/2026', 120, 80, 80, NULL,
   '01/08/2026', '01/10/2026', '30/11/2026', '2026/11/28 17:42', 82, NULL, 502),
  -- 2 cancelled: never offered although it has tonnage to ship.
  (16, 2026016, 101, 201, 2012, 1, 2, 1, 2, '2026-10-05 11:00:00', 90, 50, NULL, 50,
   '2026-10-10 07:00:00', '2027-01-10 00:00:00', '2027-02-28 23:59:00', NULL, 85.5,
   'CANCELADA A PEDIDO DO CLIENTE', 2),
  -- Customer 102 -> destination 202 at point 2 (limit 10 t).
  (21, 2026021, 102, 202, 2021, 2, 5, 2, 3, '2026/10/15 08:00', 365, 500, 120, 380,
   '2026/10/20 06:00', '2027/09/15 00:00', '2027/11/30 23:59', NULL, 120,
   'PELOTAS DE MINÉRIO', 501),
  -- 502 closed with 8 t left, under the point's limit of 10 t.
  (22, 2026022, 102, 202, 2021, 2, 5, 2, 3, '2026/06/01 08:00', 180, 100, 92, 8,
   '2026/06/05 06:00', '2026/10/01 00:00', '2026/12/31 23:59', '30/11/2026 10:05', 118, NULL,
   502),
  -- Customer 103 -> individual 203 at point 1.
  (31, 2026031, 103, 203, 2031, 1, 2, 3, 4, '2026-11-02 14:20:00', 90, 60, 25, 35,
   '2026-11-03 07:00:00', '2027-08-01 00:00:00', '2027-09-30 23:59:00', NULL, 65,
   'CIMENTO CP-II ENSACADO', 501),
  -- Customer 102 -> 204, whose programmed address 2041 has been cancelled.
  (41, 2026041, 102, 204, 2041, 2, 5, 2, 4, '05/11/2026', 120, 40, 0, 40,
   '10/11/2026', '01/09/2027', '31/10/2027', NULL, 110, NULL, 501);

-- Load programmes: the tonnage and status edges ----------------------------------
-- Customer 102 -> individual 203 (address 2031) at point 3 (Ipatinga, limit 0),
-- programmes 71-76. Each status matches its dates from December 2026 to June
-- 2027, and a recomputation keeps it there, except where said.
INSERT INTO PROGRAM_CARGA (PROGRAM_CARGA_ID, NUM_PROGRAMACAO, CLIENTE_ID, DESTINATARIO_ID,
                           END_DESTINATARIO_ID, PONTO_OPERACAO_ID, ORIGEM_ID,
                           TAB_TIPO_PRODUTO_ID, TAB_TIPO_VEICULO_ID, DATA_ATUAL,
                           PRAZO_ESCOAMENTO, TON_PROGRAMADA, TON_CARREGADA, TON_P_ESCOAR,
                           DATA_DISPON, DATA_INI_PRAZO_CRIT, DATA_MAX_ESCOAM,
                           DATA_ENCERRAMENTO, PRECO_CARRETEIRO, OBSERV, TAB_STATUS_ID) VALUES
  -- 501 open, with half tonnes to ship.
  (71, 2026071, 102, 203, 2031, 3, 5, 2, 3, '2026/11/12 08:00', 300, 150, 37.5, 112.5,
   '2026/11/16 06:00', '2027/08/01 00:00', '2027/09/30 23:59', NULL, 98.75,
   'MINÉRIO GRANULADO', 501),
  -- Exhausted but still 501: never offered; a recomputation closes it (502).
  (72, 2026072, 102, 203, 2031, 3, 5, 2, 3, '2026/10/01 08:00', 120, 60, 60, 0,
   '2026/10/05 06:00', '2027/03/01 00:00', '2027/05/31 23:59', NULL, 98.75, NULL, 501),
  -- 504 without a critical-period start: the empty start is earlier than any
  -- moment, so the programme is critical until its latest shipping date.
  (73, 2026073, 102, 203, 2031, 3, 5, 2, 3, '2026/11/20 10:00', 240, 40, 10, 30,
   '2026/11/25 06:00', NULL, '2027/07/31 23:59', NULL, 101, NULL, 504),
  -- 505 without a latest shipping date: overdue from the start.
  (74, 2026074, 102, 203, 2031, 3, 5, 2, 3, '2026/09/15 08:00', 90, 25, 15, 10,
   '2026/09/20 06:00', '2026/11/01 00:00', NULL, NULL, 95, NULL, 505),
  -- 503 available from 1 July 2027.
  (75, 2026075, 102, 203, 2031, 3, 5, 2, 3, '2026/12/01 09:00', 120, 80, NULL, 80,
   '2027/07/01 06:00', '2027/09/01 00:00', '2027/10/31 23:59', NULL, 104, NULL, 503),
  -- No status at all: offered (a null status is not 2 or 502), but the status
  -- rule only ever changes a programme in 501 to 505.
  (76, 2026076, 102, 203, 2031, 3, 5, 2, 3, '2026/11/30 08:00', 60, 20, NULL, 20,
   '2026/12/01 06:00', '2027/08/01 00:00', '2027/09/30 23:59', NULL, 99, NULL, NULL);

-- Sales orders and displacements -----------------------------------------------------

INSERT INTO PEDIDO (PEDIDO_ID, CLIENTE_ID, NUM_PEDIDO_EXTERNO, DATA_PEDIDO,
                    FLAG_PED_ITEM_ABERTO, TAB_STATUS_ID) VALUES
  (1, 101, '4500012345', '2026/11/25 09:00', 'N', 1),
  (2, 101, '4500012346', '26/11/2026', 'N', 1),
  (3, 102, '88123', '2026-11-27 16:45:00', 'N', 1),
  (4, 101, '4500012399', '2026/11/28', 'N', 1);

-- Displacements: type 3 is the one an order deletion (without CVA) cancels.
INSERT INTO DESLOCAMENTO (DESLOCAMENTO_ID, TAB_TIPO_DESLOCAMENTO_ID, DATA_DESLOCAMENTO,
                          TAB_STATUS_ID) VALUES
  (1, 3, '2026/12/07 06:00', 1),
  (2, 1, '09/12/2026', 1),
  (3, 3, '2026-12-03 05:30:00', 1);

INSERT INTO PEDIDO_ITEM (PEDIDO_ITEM_ID, PEDIDO_ID, DESCRICAO, QUANTIDADE, DESLOCAMENTO_ID,
                         TAB_STATUS_ID) VALUES
  (1, 1, 'BOBINA LAMINADA A QUENTE 2,00 MM', 18, 1, 1),
  (2, 1, 'BOBINA LAMINADA A FRIO 0,80 MM', 12, 1, 1),
  (3, 2, 'BOBINA ZINCADA 0,65 MM', 30, NULL, 1),
  (4, 3, 'PELOTA DE MINÉRIO DE FERRO', 30, NULL, 1),
  (5, 4, 'CHAPA GROSSA 12,5 MM', 25, 3, 1);

INSERT INTO DESLOC_DOCTO_TRANSP (DESLOCAMENTO_ID, DOCTO_TRANSPORTE_ID, TAB_STATUS_ID) VALUES
  (1, 1, 1),
  (2, 3, 1),
  (3, 9, 1);

-- Collection orders ----------------------------------------------------------------
--   1  type 9 #158, everything filled: collaborator's tractor 2 + trailer 21,
--      sales order 1, programmes 11, 12 and 13 (took 0), displacement 1 (type 3)
--   2  type 9 #150, dangerous load (FLAG_ADEME 'S') with carrier 401: tractor 3
--      + trailer 31, programmes 11 and 15; customer of group 32, so the sender
--      is the carrier's address
--   3  type 9 #150 too: a duplicate of 2 at the same point; own fleet
--   4  type 5, every optional column null (no vehicle, sales order,
--      collaborator, carrier, number, weight, dates but the issue date)
--   5  type 5 at point 2, carrier 402, programme 21
--   6  type 9 #152 in status 615 (still readable)
--   7  type 9 #153 deleted (status 2)
--   8  type 9 #154, destination address 2041 cancelled
--   9  type 9 #155, printed (DATA_IMPRESSAO) with CVA 778899, displacement 3
--  10  type 9 #156, destination person 205 inactive
--  120-125 type 9 numbered 120-125 at point 1; 121 and 123 deleted, 124 in 615
INSERT INTO DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID, TAB_STATUS_ID, TAB_TIPO_DOCTO_TRANSP_ID,
                              NUM_DOCTO_TRANSPORTE, CLIENTE_ID, PONTO_OPERACAO_ID,
                              DATA_EMISSAO, END_DESTINATARIO_ID, DESTINO_ID,
                              DATA_PREV_CARREGAMENTO, VEICULO_FORNECEDOR_ID,
                              VEICULO_CARRETA_ID, COLABORADOR_ID, FORNECEDOR_ID, LOCAL_CARREG,
                              PESO_PREVISTO, TXT_EMBALAGEM, OBSERV1, FLAG_ADEME,
                              TAB_TIPO_RESPONSAVEL_ID, TAB_TIPO_EMERGENCIA_ID,
                              GERADOR_TRANSPORTE_ID, PEDIDO_ID, END_REMETENTE_ID, EMPRESA_ID,
                              ROTA_ID, DATA_IMPRESSAO, CVA) VALUES
  (1, 1, 9, 158, 101, 1, '2026/11/30 09:15', 2012, 3, '07/12/2026', 2, 21, 301, NULL,
   'PÁTIO 3 - PORTO DE TUBARÃO', 30, 'BOBINAS CINTADAS', 'CARGA AMARRADA COM CINTAS', 'N',
   NULL, NULL, NULL, 1, 1011, 1, NULL, NULL, NULL),
  (2, 1, 9, 150, 101, 1, '2026-12-01 10:40:00', 2012, 3, '2026/12/08', 3, 31, NULL, 401,
   'PÁTIO 1 - PORTO DE TUBARÃO', 30, 'BOBINAS ZINCADAS', NULL, 'S',
   2, 1, 101, 2, 4011, 1, 7, NULL, NULL),
  (3, 1, 9, 150, 103, 1, '02/12/2026', 2031, 6, '2026/12/09 07:00', 1, 12, NULL, NULL,
   'FÁBRICA - CARAPINA', 25, 'SACOS DE 50 KG PALETIZADOS', NULL, 'N',
   1, NULL, 1, NULL, 1031, 1, NULL, NULL, NULL),
  (4, 1, 5, NULL, 103, 1, '2026/12/03 11:00', 2032, 1, NULL, NULL, NULL, NULL, NULL,
   NULL, NULL, NULL, NULL, NULL,
   NULL, NULL, NULL, NULL, NULL, 1, NULL, NULL, NULL),
  (5, 1, 5, NULL, 102, 2, '2026-12-04 08:05:00', 2021, 4, '10/12/2026', 7, NULL, NULL, 402,
   'TERMINAL FERROVIÁRIO', 30, 'GRANEL', NULL, 'N',
   NULL, NULL, NULL, 3, 1021, 1, NULL, NULL, NULL),
  (6, 615, 9, 152, 101, 1, '28/11/2026', 2012, 3, '2026/12/01 06:00', 1, 11, NULL, NULL,
   'PÁTIO 2 - PORTO DE TUBARÃO', 28, 'BOBINAS', NULL, 'N',
   NULL, NULL, NULL, NULL, 1011, 1, NULL, NULL, NULL),
  (7, 2, 9, 153, 101, 1, '2026/11/29 13:00', 2012, 3, '2026/12/02', 2, 22, 301, NULL,
   NULL, 20, NULL, 'EXCLUÍDA: VEÍCULO QUEBRADO', 'N',
   NULL, NULL, NULL, NULL, 1011, 1, NULL, NULL, NULL),
  (8, 1, 9, 154, 102, 2, '2026-12-02 15:30:00', 2041, 5, '11/12/2026', 7, NULL, NULL, 402,
   NULL, 15, NULL, NULL, 'N',
   NULL, NULL, NULL, NULL, 1021, 1, NULL, NULL, NULL),
  (9, 1, 9, 155, 101, 1, '2026/12/01 08:00', 2012, 3, '2026/12/03 07:30', 1, 11, NULL, NULL,
   'PÁTIO 3 - PORTO DE TUBARÃO', 25, 'CHAPAS', 'ENTREGAR NA PORTARIA 2', 'N',
   NULL, NULL, NULL, 4, 1011, 1, NULL, '2026/12/02 16:20', 778899),
  (10, 1, 9, 156, 102, 2, '03/12/2026', 2051, 5, '2026/12/12', 7, NULL, NULL, 402,
   NULL, 18, NULL, NULL, 'N',
   NULL, NULL, NULL, NULL, 1021, 1, NULL, NULL, NULL),
  (120, 1, 9, 120, 101, 1, '2026/10/05 08:00', 2012, 3, '2026/10/06', 1, 11, NULL, NULL,
   NULL, 27, NULL, NULL, 'N', NULL, NULL, NULL, NULL, 1011, 1, NULL, '2026/10/05 17:00', NULL),
  (121, 2, 9, 121, 101, 1, '06/10/2026', 2012, 3, '07/10/2026', 1, 12, NULL, NULL,
   NULL, 27, NULL, NULL, 'N', NULL, NULL, NULL, NULL, 1011, 1, NULL, NULL, NULL),
  (122, 1, 9, 122, 101, 1, '2026-10-07 08:00:00', 2012, 3, '2026-10-08 00:00:00', 2, 21,
   301, NULL, NULL, 27, NULL, NULL, 'N', NULL, NULL, NULL, NULL, 1011, 1, NULL, NULL, NULL),
  (123, 2, 9, 123, 101, 1, '2026/10/08 08:00', 2012, 3, '2026/10/09', 2, 22, 301, NULL,
   NULL, 27, NULL, NULL, 'N', NULL, NULL, NULL, NULL, 1011, 1, NULL, NULL, NULL),
  (124, 615, 9, 124, 101, 1, '09/10/2026', 2012, 3, '10/10/2026', 3, 31, NULL, 401,
   NULL, 27, NULL, NULL, 'N', NULL, NULL, NULL, NULL, 1011, 1, NULL, NULL, NULL),
  (125, 1, 9, 125, 101, 1, '2026-10-12 08:00:00', 2012, 3, '2026-10-13 00:00:00', 1, 11,
   NULL, NULL, NULL, 27, NULL, NULL, 'N', NULL, NULL, NULL, NULL, 1011, 1, NULL, NULL, NULL);

-- What each order took from each programme (null: took 0).
INSERT INTO HIST_PROGR_ESCOAM (HIST_PROGR_ESCOAM_ID, DOCTO_TRANSPORTE_ID, PROGRAM_CARGA_ID,
                               ULTIMA_TON_PROGR) VALUES
  (1, 1, 11, 20),
  (2, 1, 12, 10),
  (3, 1, 13, NULL),
  (4, 2, 11, 27),
  (5, 2, 15, 3),
  (6, 3, 31, 25),
  (7, 5, 21, 30);

-- Number ranges: point 1 type 9 has an exhausted range, a running one (last
-- number 157) and an untouched one; point 2 type 9 has only an inactive
-- range, so no automatic numbering; point 1 type 5 has an untouched range.
INSERT INTO CONTR_NUM_DOCTOS (CONTR_NUM_DOCTOS_ID, TAB_STATUS_ID, PONTO_OPERACAO_ID,
                              TAB_TIPO_DOCTO_TRANSP_ID, NUM_INICIAL, NUM_FINAL, NUM_ATUAL,
                              QTDE_ATUAL, QTDE_SEGURANCA, E_MAIL_AVISO) VALUES
  (1, 1, 1, 9, 1, 100, 100, 0, 10, 'numeracao@tarvosa.com.br'),
  (2, 1, 1, 9, 101, 200, 157, 43, 10, 'numeracao@tarvosa.com.br'),
  (3, 1, 1, 9, 201, 300, NULL, 100, 10, 'numeracao@tarvosa.com.br'),
  (4, 2, 2, 9, 1, 500, 10, 490, 20, 'numeracao@tarvosa.com.br'),
  (5, 1, 1, 5, 1, 50, NULL, 50, 5, NULL);

-- Logs and jobs ------------------------------------------------------------------
-- One finished job from an earlier deletion of an order with a CVA file, sent
-- at the first attempt, and the two system-log rows its registration wrote.
-- LOG_MSG starts empty.

INSERT INTO LOG_GERADOR (LOG_GERADOR_ID, USUARIO_INTERNET_ID, FUNCAO_ID, TITULO_EMAIL,
                         FLAG_ENVIA_EMAIL, TEXTO_EMAIL, ENDERECO_EMAIL, TAB_STATUS_JOB_ID,
                         DATA_INICIO, EMAIL_REMETENTE, ENDERECO_ANEXO, TXT_QUERY,
                         QTDE_TENTATIVAS) VALUES
  (1, 4, 2305, 'GRAVAÇÃO DO ARQUIVO DE CVA ELETRÔNICO ENCERRADA.', 'S', NULL,
   'ANA.COSTA@TARVOSA.COM.BR', 3, '20/11/2026 18:00', NULL, NULL,
   '__JOB__1__2003/01/01 00:00__2003/01/01 00:00__778800__3__0__0__6__0__0__0__0', 1);

INSERT INTO LOG_SISTEMA (LOG_SISTEMA_ID, TABELA_SISTEMA_ID, TAB_TIPO_ACAO_ID, USUARIO_ID,
                         REGISTRO_ID, DATA_LOG) VALUES
  (1, 490, 1, 4, 1, '2026/11/20 17:59'),
  (2, 490, 1, 4, 1, '2026-11-20 17:59:30');

-- Counters: each holds the highest key in use, so the next one handed out is free.
UPDATE INFRA_IDS
   SET DOCTO_TRANSPORTE_ID = (SELECT MAX(DOCTO_TRANSPORTE_ID) FROM DOCTO_TRANSPORTE),
       HIST_PROGR_ESCOAM_ID = (SELECT MAX(HIST_PROGR_ESCOAM_ID) FROM HIST_PROGR_ESCOAM),
       LOG_GERADOR_ID = (SELECT MAX(LOG_GERADOR_ID) FROM LOG_GERADOR),
       LOG_SISTEMA_ID = (SELECT MAX(LOG_SISTEMA_ID) FROM LOG_SISTEMA);
