// Checks that korava's Results Export (report 36, the value cube cells) loads
// into DuckDB as it stands and adds up, pool by pool, to every pool value of
// korava's Cost Pool Report (report 15, its "CP" lines):
//
//   SELECT Pool, SUM(Value) FROM read_csv('36.csv') GROUP BY Pool
//
//   node verify_export.mjs KORAVA_OUT_DIR THREADS
//
// The export writes every figure in full, report 15 to the cent: a pool
// agrees when its sum lies within half a cent of report 15's figure, plus a
// slack of 1e-6 + 1e-12 x |value| for the order in which DuckDB adds the
// doubles. A pool without cells counts as 0; a pool that report 15 does not
// list fails. Prints "verify_export cells=N pools=N largest_difference=D
// identical" (D the largest difference between a sum printed to the cent,
// "%.2f", and report 15's figure), or the first differing pools, their count
// and "DIFFERENT", and exits 1.
import { DuckDBInstance } from '@duckdb/node-api';

const [korava, threads] = process.argv.slice(2);
if (!korava || !threads) {
  console.error('usage: node verify_export.mjs KORAVA_OUT_DIR THREADS');
  process.exit(2);
}
const quoted = (path) => `'${path.replaceAll("'", "''")}'`;
const instance = await DuckDBInstance.create(':memory:', { threads: String(threads) });
const db = await instance.connect();
const rows = async (sql) => (await db.runAndReadAll(sql)).getRowObjects();

// The export has one header row and RFC 4180 fields, so the reader's own
// detection takes it; only Value is typed, since a sample of whole numbers
// would otherwise make it an integer column.
await db.run(`CREATE TABLE sums AS SELECT Pool, SUM(Value) AS total, count(*) AS cells
  FROM read_csv(${quoted(`${korava}/36.csv`)}, types = {'Value': 'DOUBLE'}) GROUP BY Pool`);
const columns = Array.from({ length: 20 }, (_, i) => `'f${i + 1}': 'VARCHAR'`).join(', ');
await db.run(`CREATE TABLE pools AS SELECT f2 AS pool, CAST(f8 AS DOUBLE) AS value
  FROM read_csv(${quoted(`${korava}/15.csv`)}, header = false, delim = ',', quote = '"',
    auto_detect = false, null_padding = true, strict_mode = false, columns = {${columns}})
  WHERE f1 = 'CP'`);
await db.run(`CREATE TABLE cmp AS SELECT coalesce(p.pool, s.Pool) AS pool, p.value AS report_15,
    coalesce(s.total, 0) AS export_sum, coalesce(s.cells, 0) AS cells,
    abs(coalesce(s.total, 0) - p.value) AS difference,
    abs(CAST(printf('%.2f', coalesce(s.total, 0)) AS DOUBLE) - p.value) AS cents
  FROM pools p FULL OUTER JOIN sums s ON p.pool = s.Pool`);
const [summary] = await rows(`SELECT count(*) AS pools, sum(cells) AS cells,
  count(*) FILTER (report_15 IS NULL OR difference > 0.005 + 1e-6 + 1e-12 * abs(report_15))
    AS differing, coalesce(max(cents), 0) AS largest FROM cmp`);
const [pools, cells, differing] = ['pools', 'cells', 'differing'].map((k) => Number(summary[k]));
const largest = Number(summary.largest).toFixed(2);
if (differing) {
  const first = await rows(`SELECT * FROM cmp WHERE report_15 IS NULL
    OR difference > 0.005 + 1e-6 + 1e-12 * abs(report_15) ORDER BY pool LIMIT 10`);
  for (const row of first) {
    console.error(`verify_export: pool ${row.pool} report 15 ${row.report_15 ?? 'missing'} ` +
      `export sum ${row.export_sum} (${row.cells} cells)`);
  }
  console.error(`verify_export cells=${cells} pools=${pools} differing=${differing} ` +
    `largest_difference=${largest} DIFFERENT`);
  process.exit(1);
}
console.log(`verify_export cells=${cells} pools=${pools} largest_difference=${largest} identical`);
