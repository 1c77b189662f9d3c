// Sums a transaction file of the benchmark model exactly, each amount read
// as DECIMAL(38,6), by the cost pool that takes its line and for each input
// measure, and prints one line per figure: "CP,<pool>,<sum to the cent>,<sum>"
// and "IM,<measure>,<sum to the cent>,<sum>". A line whose account and
// department POOL_MAP does not know prints "CP,,..." for the caller to refuse.
//
//   node exact_sums.mjs TRANSACTIONS POOL_MAP THREADS
//
// The benchmark's input measures (make_model.sh): IMT<m> takes the lines of
// product PR<m> (dimension 3, the file's fourth column), IMC<m> the value of
// resource pool R0<m>P01, whose value is what its transactions brought.
import { DuckDBInstance } from '@duckdb/node-api';

const [transactions, poolMap, threads] = process.argv.slice(2);
const quoted = (path) => `'${path.replaceAll("'", "''")}'`;
const instance = await DuckDBInstance.create(':memory:', { threads: String(threads) });
const connection = await instance.connect();
await connection.run(`CREATE TABLE pools AS SELECT * FROM read_csv(${quoted(poolMap)},
  header = false, columns = {'account': 'VARCHAR', 'department': 'VARCHAR', 'pool': 'VARCHAR'})`);
await connection.run(`CREATE TABLE sums AS
  SELECT p.pool, t.c4 AS product, sum(t.amount) AS total
  FROM read_csv(${quoted(transactions)}, header = false, delim = ',', quote = '"',
    columns = {'amount': 'DECIMAL(38,6)', 'c2': 'VARCHAR', 'c3': 'VARCHAR', 'c4': 'VARCHAR',
               'c5': 'VARCHAR', 'c6': 'VARCHAR'}) AS t
  LEFT JOIN pools AS p ON t.c2 = p.account AND t.c3 = p.department
  GROUP BY p.pool, t.c4`);
const figures = `
  WITH by_pool AS (SELECT pool, sum(total) AS total FROM sums GROUP BY pool),
  measures AS (
    SELECT 'IMT' || m AS code, (SELECT sum(total) FROM sums WHERE product = 'PR' || m) AS total
    FROM range(1, 6) AS r(m)
    UNION ALL
    SELECT 'IMC' || m, (SELECT total FROM by_pool WHERE pool = 'R0' || m || 'P01') FROM range(1, 6) AS r(m))
  SELECT 'CP', coalesce(pool, ''), round(total, 2)::VARCHAR, total::VARCHAR FROM by_pool
  UNION ALL
  SELECT 'IM', code, round(coalesce(total, 0), 2)::VARCHAR, coalesce(total, 0)::VARCHAR FROM measures
  ORDER BY 1, 2`;
const reader = await connection.runAndReadAll(figures);
for (const row of reader.getRows()) console.log(row.join(','));
