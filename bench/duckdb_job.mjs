// The whole allocation job that korava runs, written in DuckDB SQL the way an
// analyst would without korava: it reads the run file's model files and
// transaction file, routes every transaction to its cost pool by the
// model's selection rules and dimension hierarchies, sums the value cube,
// computes the input and named measures, allocates stage by stage through
// the allocation bases (a share of 0.01 or less in absolute value is not
// sent) and re-keys what arrives by the receiving pool's dimension copy.
//
//   node duckdb_job.mjs RUNFILE THREADS [OUT_DIR]
//
// Prints one line "duckdb_job model=S transactions=S allocation=S whole=S
// cells=N pools=N": seconds to load and complete the model, to read, route
// and sum the transactions into the cube and the pools, and to allocate from
// those sums to the final cube (allocation), and their total (whole). With
// OUT_DIR it then writes, untimed, OUT_DIR/cube.csv (pool, value, one code
// per dimension, a header line, every value at full precision) and
// OUT_DIR/pools.csv (pool, value) for bench/verify_job.mjs.
//
// The rules are read from the model files, not written in here, but only
// the forms the benchmark model uses are handled: selections by code and
// hierarchy ("CPGS", "CPS", "IMS"), group priorities, flags and dimension
// ranks, dimension copies by level digit or "%0" ("CPDC"), constant, named
// and input measure lines (input measures from transactions and from cost
// pools), and stages that only allocate into later stages. Anything else
// (budgets, DIMT, level of confidence, reciprocal loops, group dimension
// copies, summarise targets, direct bases, unknown codes or references,
// lines that no pool takes) makes it refuse with exit code 3 and a line
// "duckdb_job: refused: REASON" rather than compute something korava would
// not. Amounts are summed exactly as DECIMAL(38,6), as korava sums them.
import { readFileSync } from 'node:fs';
import { dirname, isAbsolute, resolve } from 'node:path';
import { DuckDBInstance } from '@duckdb/node-api';

class Refusal extends Error {}
const refuse = (reason) => {
  throw new Refusal(reason);
};
const quoted = (text) => `'${String(text).replaceAll("'", "''")}'`;
const range = (count) => Array.from({ length: count }, (_, i) => i + 1);

// The files that the run file names, by kind: MODEL files in order, DIMn
// files by dimension number, TX files. Names are relative to $IDIR, which
// is relative to the run file's folder; "\" and "/" both separate.
function readRunFile(runFile) {
  const folder = dirname(resolve(runFile));
  const files = { model: [], dims: new Map(), tx: [] };
  let inputDir = folder;
  const records = readFileSync(runFile, 'latin1').split(/\r\n|\r|\n/).map((line) => line.split(','));
  const place = (dir, name) => {
    const path = name.trim().replaceAll('\\', '/');
    return isAbsolute(path) ? path : resolve(dir, path);
  };
  for (const [kind, , value] of records) if (kind === '$IDIR') inputDir = place(folder, value);
  for (const [kind, what, name] of records) {
    if (kind !== '$FILE') continue;
    const path = place(inputDir, name);
    if (what === 'MODEL') files.model.push(path);
    else if (what === 'TX') files.tx.push(path);
    else if (/^DIM[1-8]$/.test(what)) files.dims.set(Number(what.slice(3)), path);
  }
  if (files.tx.length !== 1) refuse(`expects one transaction file, the run file names ${files.tx.length}`);
  return files;
}

class Job {
  constructor(connection) {
    this.db = connection;
  }

  async run(sql) {
    const started = performance.now();
    await this.db.run(sql);
    if (process.env.DUCKDB_JOB_PROFILE)
      console.error(`${((performance.now() - started) / 1000).toFixed(3)} ${sql.slice(0, 70).replace(/\s+/g, ' ')}`);
  }

  async rows(sql) {
    return (await this.db.runAndReadAll(sql)).getRowObjects();
  }

  async count(sql) {
    return Number((await this.rows(`SELECT count(*) AS n FROM (${sql})`))[0].n);
  }

  async refuseIf(sql, reason) {
    const found = await this.rows(`${sql} LIMIT 3`);
    if (found.length) refuse(`${reason}: ${found.map((row) => Object.values(row).join(' ')).join('; ')}`);
  }

  // Every model record as columns f1..f15, trailing blanks removed and empty
  // columns NULL; the dimension values; the hierarchy closure.
  async loadModel(files) {
    const csv = (path, columns) => `read_csv(${quoted(path)}, header = false, delim = ',', quote = '"',
      auto_detect = false, null_padding = true, strict_mode = false,
      columns = {${range(columns).map((i) => `'f${i}': 'VARCHAR'`).join(', ')}})`;
    const fields = range(15).map((i) => `nullif(rtrim(f${i}), '') AS f${i}`).join(', ');
    await this.run(`CREATE TABLE rec AS SELECT *, row_number() OVER () AS seq FROM (${files.model
      .map((path) => `SELECT ${fields} FROM ${csv(path, 15)}`).join(' UNION ALL ')})`);
    await this.checkRecords();
    const dims = await this.rows(`SELECT max(CAST(f2 AS INTEGER)) AS n FROM rec WHERE f1 = 'DIMH'`);
    this.n = Number(dims[0].n ?? 0);
    if (this.n < 1) refuse('no dimensions');
    for (const d of range(this.n)) if (!files.dims.has(d)) refuse(`dimension ${d} has no values`);
    // A value's number is its row in its file, as korava numbers codes; the
    // cube and the selections hold numbers, which group faster than texts.
    await this.run(`CREATE TABLE dimval AS ${range(this.n)
      .map((d) => `SELECT ${d} AS dim, row_number() OVER () AS num, nullif(rtrim(f1), '') AS code,
        nullif(rtrim(f3), '') AS parent FROM ${csv(files.dims.get(d), 4)}`)
      .join(' UNION ALL ')}`);
    await this.refuseIf(`SELECT dim, code FROM dimval GROUP BY ALL HAVING count(*) > 1`, 'duplicate dimension codes');
    await this.refuseIf(`SELECT v.dim, v.code, v.parent FROM dimval v WHERE v.parent IS NOT NULL AND NOT EXISTS
      (SELECT 1 FROM dimval p WHERE p.dim = v.dim AND p.code = v.parent)`, 'parent codes not found');
    // Each value with its ancestors (itself included) and their levels.
    await this.run(`CREATE TABLE anc AS
      WITH RECURSIVE rel AS (SELECT v.dim, v.num, p.num AS parent FROM dimval v
          LEFT JOIN dimval p ON p.dim = v.dim AND p.code = v.parent),
        up(dim, code, anc, dist) AS (
        SELECT dim, num, num, 0 FROM rel
        UNION ALL SELECT u.dim, u.code, p.parent, u.dist + 1 FROM up u
        JOIN rel p ON p.dim = u.dim AND p.num = u.anc WHERE p.parent IS NOT NULL AND u.dist < 15),
      lvl AS (SELECT dim, code, max(dist) + 1 AS level FROM up GROUP BY ALL)
      SELECT up.dim, up.code, up.anc, lvl.level - up.dist AS anc_level, lvl.level
      FROM up JOIN lvl USING (dim, code)`);
    await this.refuseIf(`SELECT dim, code FROM anc WHERE level > 15`, 'hierarchies deeper than 15 levels');
    await this.run(`CREATE TABLE anc_list AS SELECT dim, code, list(anc) AS ancs FROM anc GROUP BY ALL`);
    await this.buildTables();
  }

  async checkRecords() {
    const kinds = ['OO', 'DIMH', 'STG', 'CPG', 'CPGS', 'CP', 'CPS', 'CPDC', 'AB', 'ABL', 'NM', 'NMV', 'IM', 'IMS',
      'REP'];
    await this.refuseIf(`SELECT DISTINCT f1 FROM rec WHERE f1 NOT IN (${kinds.map(quoted).join(',')})`,
      'record types not handled');
    await this.refuseIf(`SELECT f2, f3 FROM rec WHERE f1 = 'OO' AND (TRY_CAST(f2 AS INTEGER) IN (1, 2, 3, 11)
      OR (f2 = '4' AND f3 = '2'))`, 'options not handled (budgets, DIMT, level of confidence, reciprocal ' +
      'allocation, no allocation)');
  }

  // The model's tables, with korava's generated not-selected group and pools.
  async buildTables() {
    const dims = range(this.n);
    await this.run(`CREATE TABLE stg AS SELECT f2 AS code, row_number() OVER (ORDER BY seq) AS pos,
      CAST(f4 AS INTEGER) AS type FROM rec WHERE f1 = 'STG'`);
    const notsel = `(SELECT code FROM stg WHERE type = 1 ORDER BY pos DESC LIMIT 1)`;
    await this.run(`CREATE TABLE cpg AS
      WITH g AS (SELECT f2 AS code, f4 AS stage, coalesce(TRY_CAST(f5 AS INTEGER), 0) AS priority,
          f6 = 'Y' AS flag, ${range(6).map((k) => `coalesce(TRY_CAST(f${6 + k} AS INTEGER), 0) AS o${k}`).join(', ')}
        FROM rec WHERE f1 = 'CPG'
        UNION ALL SELECT '.NOTSEL', ${notsel}, 99, false, 0, 0, 0, 0, 0, 0 WHERE ${notsel} IS NOT NULL)
      SELECT g.*, s.pos AS stagepos, s.type AS stagetype,
        CASE WHEN g.priority < 10 THEN ' ' ELSE '' END || g.priority || g.code AS prio
      FROM g LEFT JOIN stg s ON s.code = g.stage`);
    await this.refuseIf(`SELECT code, stage FROM cpg WHERE stagepos IS NULL`, 'groups of unknown stages');
    await this.run(`CREATE TABLE cp AS
      SELECT f2 AS code, f4 AS grp, f5 AS base FROM rec WHERE f1 = 'CP'
      UNION ALL SELECT '.NOTSEL.' || code, code, NULL FROM cpg WHERE stage = ${notsel}`);
    await this.run(`CREATE OR REPLACE TABLE cp AS SELECT cp.*, g.stagepos, g.stagetype, row_number() OVER () AS id FROM cp
      LEFT JOIN cpg g ON g.code = cp.grp`);
    await this.refuseIf(`SELECT code, grp FROM cp WHERE stagepos IS NULL`, 'pools of unknown groups');
    await this.refuseIf(`SELECT code, base FROM cp WHERE base LIKE '>%' OR (base IS NOT NULL AND base NOT IN
      (SELECT f2 FROM rec WHERE f1 = 'AB'))`, 'direct or unknown allocation bases');
    await this.refuseIf(`SELECT code FROM cp WHERE base IS NOT NULL AND stagetype > 2`,
      'bases on final or report pools');
    // Selection rows: s_k the selected value of dimension k (NULL for "*",
    // empty, "%" forms and unknown codes, which select everything), l_k its
    // level, m_k the dimension copy character of a "CPDC" row.
    const selected = (k) => `(SELECT v.num FROM dimval v WHERE v.dim = ${k} AND v.code = r.f${5 + k}
      AND r.f${5 + k} <> '*' AND NOT starts_with(r.f${5 + k}, '%'))`;
    await this.run(`CREATE TABLE sel AS SELECT r.f1 AS kind, r.f2 AS owner, r.f4 AS code2,
        coalesce(r.f5, 'I') AS include, r.seq,
        ${dims.map((k) => `${selected(k)} AS s${k}`).join(', ')},
        ${dims.map((k) => `CASE WHEN r.f1 = 'CPDC' AND starts_with(r.f${5 + k}, '%') THEN substr(r.f${5 + k}, 2)
          END AS m${k}`).join(', ')}
      FROM rec r WHERE r.f1 IN ('CPGS', 'CPS', 'CPDC', 'IMS')
      UNION ALL SELECT 'CPGS', '.NOTSEL', NULL, 'I', 0, ${dims.map(() => 'NULL').join(', ')},
        ${dims.map(() => 'NULL').join(', ')} FROM cpg WHERE code = '.NOTSEL'
      UNION ALL SELECT 'CPS', '.NOTSEL.' || code, NULL, 'I', 0, ${dims.map(() => 'NULL').join(', ')},
        ${dims.map(() => 'NULL').join(', ')} FROM cpg WHERE stage = ${notsel}`);
    await this.run(`CREATE OR REPLACE TABLE sel AS SELECT sel.*, ${dims
      .map((k) => `(SELECT level FROM anc a WHERE a.dim = ${k} AND a.code = sel.s${k} AND a.anc_level = a.level)
        AS l${k}`).join(', ')}, (SELECT id FROM cp WHERE cp.code = sel.owner) AS pool_id,
      (SELECT id FROM cp WHERE cp.code = sel.code2) AS src_id FROM sel`);
    await this.run(`CREATE TABLE cpdc AS SELECT * FROM sel WHERE kind = 'CPDC'`);
    this.copied = [];
    for (const k of dims)
      if (await this.count(`SELECT 1 FROM cpdc WHERE s${k} IS NOT NULL OR m${k} IS NOT NULL`)) this.copied.push(k);
    await this.refuseIf(`SELECT owner FROM sel WHERE kind = 'CPDC' AND (${dims
      .map((k) => `NOT regexp_full_match(coalesce(m${k}, '1'), '[0-9]')`).join(' OR ')})`,
      'dimension copies other than a level digit');
    await this.refuseIf(`SELECT owner FROM sel WHERE kind = 'CPDC' GROUP BY ALL HAVING count(*) > 1`,
      'pools with more than one dimension copy');
    await this.refuseIf(`SELECT kind, owner FROM sel WHERE (kind = 'CPGS' AND owner NOT IN (SELECT code FROM cpg))
      OR (kind IN ('CPS', 'CPDC') AND owner NOT IN (SELECT code FROM cp))
      OR (kind = 'IMS' AND owner NOT IN (SELECT f2 FROM rec WHERE f1 = 'IM'))`, 'selections of unknown owners');
    await this.rankPoolSelections();
    await this.buildMeasures();
  }

  // Each "CPS" row's rank within its group: its group's ranked dimensions
  // first, then every dimension, each as "Z" less the selected level ("Z"
  // when open), so deeper selections in higher-ranked dimensions come first
  // and catch-all rows last; ties by pool code.
  async rankPoolSelections() {
    const letter = (k) => (k <= this.n ? `CASE WHEN s.s${k} IS NULL THEN 'Z' ELSE chr(90 - s.l${k}) END` : `'Z'`);
    const ranked = range(6).map((r) => `CASE WHEN ${r} > (${range(6).map((k) => `(g.o${k} <> 0)::INT`).join(' + ')})
      THEN 'z' ELSE CASE ${range(6).map((k) => `WHEN g.o${k} = ${r} THEN ${letter(k)}`).join(' ')} ELSE 'Z' END END`);
    const key = `rpad(${[...ranked, ...range(this.n).map(letter)].join(' || ')}, 21, ' ') || s.owner`;
    await this.run(`CREATE TABLE cps AS SELECT s.*, p.grp, ${key} AS rank FROM sel s
      JOIN cp p ON p.code = s.owner JOIN cpg g ON g.code = p.grp WHERE s.kind = 'CPS'`);
  }

  // Named measures (an "NMV" row replaces the value), input measures with
  // their divisors, and base lines with their measures' codes.
  async buildMeasures() {
    await this.run(`CREATE TABLE nm AS SELECT n.f2 AS code,
        coalesce((SELECT CAST(v.f3 AS DOUBLE) FROM rec v WHERE v.f1 = 'NMV' AND v.f2 = n.f2 ORDER BY v.seq DESC
          LIMIT 1), CAST(n.f4 AS DOUBLE)) / coalesce(CAST(n.f5 AS DOUBLE), 1) AS measure
      FROM rec n WHERE n.f1 = 'NM'`);
    await this.run(`CREATE TABLE im AS SELECT f2 AS code, f4 AS type, coalesce(CAST(f5 AS DOUBLE), 1) AS divisor
      FROM rec WHERE f1 = 'IM'`);
    await this.refuseIf(`SELECT code, type FROM im WHERE type NOT IN ('T', 'C')`, 'input measure types');
    await this.run(`CREATE TABLE abl AS SELECT l.f2 AS base, l.seq, left(l.f4, 1) AS mtype, l.f5 AS mcode,
        CASE WHEN left(l.f4, 1) = 'C' THEN TRY_CAST(l.f5 AS DOUBLE) END AS constant, o.id AS output,
        o.stagepos AS outpos
      FROM rec l LEFT JOIN cp o ON o.code = l.f6 WHERE l.f1 = 'ABL'`);
    await this.refuseIf(`SELECT base, mtype, mcode FROM abl WHERE (mtype = 'C' AND constant IS NULL)
      OR (mtype = 'N' AND mcode NOT IN (SELECT code FROM nm)) OR (mtype = 'I' AND mcode NOT IN (SELECT code FROM im))
      OR mtype NOT IN ('C', 'N', 'I') OR output IS NULL`, 'base lines with unknown measures or pools');
    await this.refuseIf(`SELECT p.code, l.output FROM cp p JOIN abl l ON l.base = p.base WHERE l.outpos <= p.stagepos`,
      'allocations into the same or an earlier stage (loops need the resolution loop)');
    await this.refuseIf(`SELECT s.owner, s.code2 FROM sel s JOIN im ON im.code = s.owner
      LEFT JOIN cp src ON src.code = s.code2 WHERE s.kind = 'IMS' AND im.type = 'C' AND src.code IS NULL`,
      'cost measures of unknown pools');
    await this.refuseIf(`SELECT p.code, s.code2 FROM cp p JOIN abl l ON l.base = p.base
      JOIN sel s ON s.kind = 'IMS' AND s.owner = l.mcode JOIN im ON im.code = s.owner AND im.type = 'C'
      JOIN cp src ON src.code = s.code2 WHERE l.mtype = 'I' AND src.stagepos > p.stagepos`,
      'measures of pools of a later stage');
  }

  // The selection test of row alias s against the ancestor lists a_k of
  // alias t: every dimension open or holding the row's value.
  matches(s, t) {
    return range(this.n).map((k) => `(${s}.s${k} IS NULL OR coalesce(list_contains(${t}.a${k}, ${s}.s${k}), false))`)
      .join(' AND ');
  }

  codes(alias = '') {
    return range(this.n).map((k) => `${alias}c${k}`).join(', ');
  }

  // Transactions summed by code tuple; the tuples' selection-relevant
  // codes routed to group and pool once each; the cube and pool sums and the
  // transaction measures from them.
  async loadTransactions(path) {
    const codeTypes = range(this.n).map((k) => `'c${k}': 'VARCHAR'`).join(', ');
    await this.run(`CREATE TABLE tx_text AS SELECT ${range(this.n).map((k) => `nullif(rtrim(c${k}), '') AS c${k}`)
      .join(', ')}, sum(amount) AS amount, count(*) AS lines
      FROM read_csv(${quoted(path)}, header = false, delim = ',', quote = '"', auto_detect = false,
        null_padding = true, columns = {'amount': 'DECIMAL(18,6)', ${codeTypes}})
      GROUP BY ALL`);
    await this.refuseIf(`SELECT lines FROM tx_text WHERE amount IS NULL`, 'lines without an amount');
    await this.run(`CREATE TABLE tx AS SELECT ${range(this.n).map((k) => `v${k}.num AS c${k}`).join(', ')},
        t.amount, t.lines, ${range(this.n).map((k) => `t.c${k} IS NOT NULL AND v${k}.num IS NULL`).join(' OR ')} AS unknown
      FROM tx_text t ${range(this.n).map((k) => `LEFT JOIN dimval v${k} ON v${k}.dim = ${k} AND v${k}.code = t.c${k}`)
        .join(' ')}`);
    await this.refuseIf(`SELECT lines FROM tx WHERE unknown`, 'lines with unknown codes');
    const routing = [];
    for (const k of range(this.n)) {
      const used = await this.count(`SELECT 1 FROM sel WHERE s${k} IS NOT NULL AND kind IN ('CPGS', 'CPS', 'IMS')`);
      if (used) routing.push(`c${k}`);
    }
    if (!routing.length) routing.push('c1');
    const key = routing.join(', ');
    // An empty code is NULL, and a tuple with one still has its route.
    const same = (a, b) => routing.map((c) => `${a}.${c} IS NOT DISTINCT FROM ${b}.${c}`).join(' AND ');
    const ancestorLists = range(this.n).map((k) => routing.includes(`c${k}`)
      ? `(SELECT ancs FROM anc_list l WHERE l.dim = ${k} AND l.code = k.c${k}) AS a${k}` : `CAST(NULL AS BIGINT[]) AS a${k}`);
    await this.run(`CREATE TABLE keys AS SELECT k.*, ${ancestorLists.join(', ')}
      FROM (SELECT DISTINCT ${key} FROM tx) k`);
    await this.run(`CREATE TABLE route AS
      WITH kg AS (SELECT ${routing.map((c) => `k.${c}`).join(', ')}, arg_min(g.code, g.prio) AS grp
        FROM keys k JOIN sel s ON s.kind = 'CPGS' AND ${this.matches('s', 'k')} JOIN cpg g ON g.code = s.owner
        GROUP BY ALL)
      SELECT ${routing.map((c) => `k.${c}`).join(', ')}, kg.grp, arg_min(s.pool_id, s.rank) AS pool,
        CASE WHEN any_value(g.flag) THEN -1 ELSE 1 END AS sign
      FROM keys k JOIN kg ON ${same('k', 'kg')} JOIN cps s ON s.grp = kg.grp AND ${this.matches('s', 'k')}
      JOIN cpg g ON g.code = kg.grp GROUP BY ALL`);
    const unrouted = await this.count(`SELECT 1 FROM keys k ANTI JOIN route r ON ${same('k', 'r')}`);
    if (unrouted) refuse(`${unrouted} code combinations that no group or pool takes`);
    await this.run(`CREATE TABLE routed AS SELECT r.pool, ${this.codes('t.')}, t.amount * r.sign AS amount
      FROM tx t JOIN route r ON ${same('t', 'r')}`);
    await this.run(`CREATE TABLE pool_tx AS SELECT pool, CAST(sum(amount) AS DOUBLE) AS value FROM routed GROUP BY pool`);
    await this.run(`CREATE TABLE cube AS SELECT pool, ${this.mappedCodes('c', 'd')}, CAST(sum(c.amount) AS DOUBLE) AS v
      FROM routed c ${this.mappingJoins('c.pool', 'c')} GROUP BY ALL`);
    await this.run(`CREATE TABLE im_value AS
      WITH ka AS (SELECT k.*, sum(r.amount) AS amount FROM keys k JOIN routed r ON ${same('k', 'r')} GROUP BY ALL)
      SELECT im.code, CAST(coalesce(sum(CASE WHEN s.include = 'E' THEN -ka.amount ELSE ka.amount END), 0) AS DOUBLE)
        / im.divisor AS measure
      FROM im LEFT JOIN sel s ON s.kind = 'IMS' AND s.owner = im.code
      LEFT JOIN ka ON ${this.matches('s', 'ka')} WHERE im.type = 'T' GROUP BY im.code, im.divisor`);
  }

  // Codes after the dimension copy of the receiving pool (alias d, joined by
  // mappingJoins): a level digit takes the ancestor at that level when the
  // code has one, "%0" no code, a selected value that value.
  mappedCodes(c, d) {
    return range(this.n).map((k) => (this.copied.includes(k) ? `CASE WHEN ${d}.s${k} IS NOT NULL THEN ${d}.s${k}
      WHEN ${d}.m${k} = '0' THEN NULL ELSE coalesce(a${k}.anc, ${c}.c${k}) END AS c${k}` : `${c}.c${k}`)).join(', ');
  }

  mappingJoins(pool, c) {
    if (!this.copied.length) return '';
    return `LEFT JOIN cpdc d ON d.pool_id = ${pool} ${this.copied
      .map((k) => `LEFT JOIN anc a${k} ON a${k}.dim = ${k} AND a${k}.code = ${c}.c${k}
        AND a${k}.anc_level = TRY_CAST(d.m${k} AS INTEGER)`).join(' ')}`;
  }

  // Stage by stage: the cost measures whose pools are final, each sending
  // pool's shares by its base's proportions (no share of 0.01 or less), the
  // sender's cells times share / value into the receiver, re-keyed.
  async allocate() {
    await this.run(`CREATE TABLE received (pool BIGINT, amount DOUBLE, stage BIGINT)`);
    const stages = await this.rows(`SELECT pos FROM stg ORDER BY pos`);
    for (const { pos } of stages) {
      await this.run(`INSERT INTO im_value
        SELECT im.code, coalesce(sum(CASE WHEN s.include = 'E' THEN -c.v ELSE c.v END), 0) / im.divisor
        FROM im JOIN sel s ON s.kind = 'IMS' AND s.owner = im.code
        LEFT JOIN (SELECT c.*, ${range(this.n).map((k) => `(SELECT ancs FROM anc_list l WHERE l.dim = ${k}
            AND l.code = c.c${k}) AS a${k}`).join(', ')} FROM cube c
            WHERE c.pool IN (SELECT src_id FROM sel WHERE kind = 'IMS')) c
          ON c.pool = s.src_id AND ${this.matches('s', 'c')}
        WHERE im.type = 'C' AND im.code NOT IN (SELECT code FROM im_value)
          AND NOT EXISTS (SELECT 1 FROM sel s2 JOIN cp src ON src.code = s2.code2
            WHERE s2.kind = 'IMS' AND s2.owner = im.code AND src.stagepos > ${pos})
        GROUP BY im.code, im.divisor`);
      await this.run(`CREATE OR REPLACE TABLE share AS
        WITH sender AS (SELECT p.id AS pool, p.base, coalesce(t.value, 0) + coalesce(
            (SELECT sum(amount) FROM received r WHERE r.pool = p.id), 0) AS value
          FROM cp p LEFT JOIN pool_tx t ON t.pool = p.id WHERE p.stagepos = ${pos} AND p.base IS NOT NULL),
        line AS (SELECT l.*, CASE l.mtype WHEN 'C' THEN l.constant WHEN 'N' THEN nm.measure ELSE iv.measure END AS m
          FROM abl l LEFT JOIN nm ON nm.code = l.mcode LEFT JOIN im_value iv ON iv.code = l.mcode),
        total AS (SELECT base, list_sum(list(m ORDER BY seq)) AS total FROM line GROUP BY base),
        amount AS (SELECT s.pool AS sender, l.output, s.value,
            (CASE WHEN t.total = 0 THEN 0 ELSE l.m / t.total END) * s.value AS amount
          FROM sender s JOIN line l ON l.base = s.base JOIN total t ON t.base = s.base)
        SELECT sender, output, amount, amount / value AS factor FROM amount WHERE abs(amount) > 0.01`);
      await this.mergeParts(`SELECT sender FROM share`);
      await this.run(`INSERT INTO received SELECT output, amount, ${pos} FROM share`);
      await this.run(`INSERT INTO cube
        SELECT sh.output AS pool, ${this.mappedCodes('c', 'd')}, sum(c.v * sh.factor) AS v
        FROM cube c JOIN share sh ON sh.sender = c.pool ${this.mappingJoins('sh.output', 'c')}
        GROUP BY ALL`);
    }
    await this.mergeParts(`SELECT id FROM cp`);
    const missing = await this.count(`SELECT 1 FROM abl l JOIN cp p ON p.base = l.base WHERE l.mtype = 'I'
      AND l.mcode NOT IN (SELECT code FROM im_value)`);
    if (missing) refuse(`${missing} base lines whose measures never resolved`);
    await this.run(`CREATE TABLE final_pools AS SELECT p.code AS pool, coalesce(t.value, 0)
        + coalesce((SELECT sum(amount) FROM received r WHERE r.pool = p.id), 0) AS value
      FROM cp p LEFT JOIN pool_tx t ON t.pool = p.id`);
  }

  // Each step adds a pool's cells once per code tuple, so only a pool that
  // took cells in more than one step (transactions, or a stage's shares)
  // holds a tuple twice; those of the pools `which` selects are summed into
  // one cell each before they send or at the end.
  async mergeParts(which) {
    await this.run(`CREATE OR REPLACE TABLE parted AS SELECT pool FROM (SELECT pool, 0 AS part FROM pool_tx
      UNION ALL SELECT DISTINCT pool, stage FROM received) WHERE pool IN (${which}) GROUP BY pool HAVING count(*) > 1`);
    if (!(await this.count(`SELECT 1 FROM parted`))) return;
    await this.run(`CREATE OR REPLACE TABLE merged AS SELECT pool, ${this.codes()}, sum(v) AS v FROM cube
      WHERE pool IN (SELECT pool FROM parted) GROUP BY ALL`);
    await this.run(`DELETE FROM cube WHERE pool IN (SELECT pool FROM parted)`);
    await this.run(`INSERT INTO cube SELECT * FROM merged`);
  }

  async write(outDir) {
    await this.run(`COPY (SELECT p.code AS pool, v AS value, ${range(this.n).map((k) => `v${k}.code AS c${k}`).join(', ')}
      FROM cube c JOIN cp p ON p.id = c.pool ${range(this.n).map((k) => `LEFT JOIN dimval v${k} ON v${k}.dim = ${k} AND v${k}.num = c.c${k}`)
        .join(' ')}) TO
      ${quoted(resolve(outDir, 'cube.csv'))} (HEADER true)`);
    await this.run(`COPY final_pools TO ${quoted(resolve(outDir, 'pools.csv'))} (HEADER true)`);
  }
}

async function main() {
  const [runFile, threads, outDir] = process.argv.slice(2);
  if (!runFile || !threads) {
    console.error('usage: node duckdb_job.mjs RUNFILE THREADS [OUT_DIR]');
    process.exit(2);
  }
  const instance = await DuckDBInstance.create(':memory:', { threads: String(threads) });
  const job = new Job(await instance.connect());
  const seconds = (from) => (performance.now() - from) / 1000;
  try {
    const started = performance.now();
    const files = readRunFile(runFile);
    await job.loadModel(files);
    const model = seconds(started);
    const read = performance.now();
    await job.loadTransactions(files.tx[0]);
    const transactions = seconds(read);
    const allocating = performance.now();
    await job.allocate();
    const allocation = seconds(allocating);
    const cells = await job.count('SELECT 1 FROM cube');
    const pools = await job.count('SELECT 1 FROM final_pools');
    const fixed = (s) => s.toFixed(3);
    console.log(`duckdb_job model=${fixed(model)} transactions=${fixed(transactions)} ` +
      `allocation=${fixed(allocation)} whole=${fixed(model + transactions + allocation)} cells=${cells} pools=${pools}`);
    if (outDir) await job.write(outDir);
  } catch (error) {
    if (!(error instanceof Refusal)) throw error;
    console.error(`duckdb_job: refused: ${error.message}`);
    process.exit(3);
  }
}

await main();
