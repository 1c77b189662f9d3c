// Checks that bench/duckdb_job.mjs computed what korava computed: every
// value cube cell of korava's report 33 (pool, value, one code per
// dimension) against the peer's OUT_DIR/cube.csv, and every pool value of
// korava's report 15 ("CP" lines) against the peer's OUT_DIR/pools.csv.
//
//   node verify_job.mjs KORAVA_OUT_DIR PEER_OUT_DIR THREADS
//
// korava writes two decimals; the peer keeps full doubles. A figure agrees
// when korava's two decimals lie within half a cent of the peer's value,
// plus a slack of 1e-6 + 1e-12 x |value| for the order in which each side
// adds its doubles: korava's figure is its own value rounded to the cent,
// so it is never further than half a cent from it, and the two values differ
// only by rounding. A cell or pool that one side lacks counts as 0 (korava
// stores no cell for amounts of exactly 0). So a difference of a whole cent
// between the two rounded figures passes only where the peer's value sits on
// a half cent (a "straddle", counted); anything more fails.
//
// Prints "verify cells=N pools=N straddles=N largest_difference=D identical"
// (D the largest difference between korava's figure and the peer's printed
// to the cent as korava prints it, "%.2f", an exact tie to even), or the first differing cells and pools and their counts and
// exits 1.
import { DuckDBInstance } from '@duckdb/node-api';

const [korava, peer, threads] = process.argv.slice(2);
if (!korava || !peer || !threads) {
  console.error('usage: node verify_job.mjs KORAVA_OUT_DIR PEER_OUT_DIR THREADS');
  process.exit(2);
}
const quoted = (path) => `'${path.replaceAll("'", "''")}'`;
const instance = await DuckDBInstance.create(':memory:', { threads: String(threads) });
const db = await instance.connect();
const rows = async (sql) => (await db.runAndReadAll(sql)).getRowObjects();

const peerCube = `${peer}/cube.csv`;
const dims = (await rows(`DESCRIBE SELECT * FROM read_csv(${quoted(peerCube)}, header = true,
  all_varchar = true)`)).length - 2;
const codes = Array.from({ length: dims }, (_, i) => `c${i + 1}`);
const text = (count) => Array.from({ length: count }, (_, i) => `'f${i + 1}': 'VARCHAR'`).join(', ');
const csv = (path, columns, hasHeader) => `read_csv(${quoted(path)}, header = ${hasHeader}, delim = ',', quote = '"',
  auto_detect = false, null_padding = true, strict_mode = false, columns = {${text(columns)}})`;
const cellColumns = ['pool', 'value', ...codes].map((name, i) => `f${i + 1} AS ${name}`).join(', ');

await db.run(`CREATE TABLE k_cells AS SELECT ${cellColumns} FROM ${csv(`${korava}/33.csv`, dims + 2, false)}`);
await db.run(`CREATE TABLE p_cells AS SELECT ${cellColumns} FROM ${csv(peerCube, dims + 2, true)}`);
await db.run(`CREATE TABLE k_pools AS SELECT f2 AS pool, f8 AS value FROM ${csv(`${korava}/15.csv`, 20, false)}
  WHERE f1 = 'CP'`);
await db.run(`CREATE TABLE p_pools AS SELECT f1 AS pool, f2 AS value FROM ${csv(`${peer}/pools.csv`, 2, true)}`);

// Repeated keys would hide a cell, so they fail on their own.
const keyed = ['pool', ...codes];
for (const table of ['k_cells', 'p_cells', 'k_pools', 'p_pools']) {
  const key = table.endsWith('cells') ? keyed : ['pool'];
  const repeated = await rows(`SELECT ${key.join(', ')}, count(*) AS n FROM ${table} GROUP BY ALL HAVING n > 1 LIMIT 5`);
  if (repeated.length) {
    console.error(`verify: ${table} repeats keys: ${JSON.stringify(repeated, (_, v) => String(v))}`);
    process.exit(1);
  }
}

// Compares two keyed tables of values; returns the differing rows (up to
// 10), their count, the straddles and the largest difference in cents.
async function compare(kTable, pTable, key) {
  const join = key.map((c) => `coalesce(k.${c}, '') = coalesce(p.${c}, '')`).join(' AND ');
  await db.run(`CREATE OR REPLACE TABLE cmp AS SELECT ${key.map((c) => `coalesce(k.${c}, p.${c}) AS ${c}`).join(', ')},
      coalesce(CAST(k.value AS DOUBLE), 0) AS korava, coalesce(CAST(p.value AS DOUBLE), 0) AS peer
    FROM ${kTable} k FULL OUTER JOIN ${pTable} p ON ${join}`);
  await db.run(`CREATE OR REPLACE TABLE cmp AS SELECT *, abs(korava - peer) > 0.005 + 1e-6 + 1e-12 * abs(peer) AS differs,
    abs(korava - CAST(printf('%.2f', peer) AS DOUBLE)) AS cents FROM cmp`);
  const [summary] = await rows(`SELECT count(*) AS n, count(*) FILTER (differs) AS differing,
    count(*) FILTER (NOT differs AND cents >= 0.005) AS straddles, coalesce(max(cents), 0) AS largest FROM cmp`);
  const first = await rows(`SELECT * EXCLUDE (differs, cents) FROM cmp WHERE differs ORDER BY ${key.join(', ')} LIMIT 10`);
  return { ...Object.fromEntries(Object.entries(summary).map(([k, v]) => [k, Number(v)])), first };
}

const cells = await compare('k_cells', 'p_cells', keyed);
const pools = await compare('k_pools', 'p_pools', ['pool']);
const largest = Math.max(cells.largest, pools.largest).toFixed(2);
if (cells.differing || pools.differing) {
  for (const [what, result] of [['cell', cells], ['pool', pools]])
    for (const row of result.first)
      console.error(`verify: ${what} differs: ${Object.values(row).map((v) => v ?? '').join(',')}`);
  console.error(`verify cells=${cells.n} differing_cells=${cells.differing} pools=${pools.n} ` +
    `differing_pools=${pools.differing} largest_difference=${largest} DIFFERENT`);
  process.exit(1);
}
console.log(`verify cells=${cells.n} pools=${pools.n} straddles=${cells.straddles + pools.straddles} ` +
  `largest_difference=${largest} identical`);
