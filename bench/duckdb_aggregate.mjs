// Sums a transaction file by cost pool and all five codes in DuckDB, the way
// an analyst would without korava, and prints the seconds of each of REPEATS
// runs: "duckdb seconds=1.234 cells=N" (N the number of sums).
//
//   node duckdb_aggregate.mjs TRANSACTIONS POOL_MAP THREADS REPEATS
//
// POOL_MAP has lines "account,department,pool": the pool that the benchmark
// model gives a transaction of that account and department.
import { DuckDBInstance } from '@duckdb/node-api';

const [transactions, poolMap, threads, repeats] = process.argv.slice(2);
const quoted = (path) => `'${path.replaceAll("'", "''")}'`;
const instance = await DuckDBInstance.create(':memory:', { threads: String(threads) });
const connection = await instance.connect();
await connection.run(`CREATE TABLE pools AS SELECT * FROM read_csv(${quoted(poolMap)},
  header = false, columns = {'account': 'VARCHAR', 'department': 'VARCHAR', 'pool': 'VARCHAR'})`);
const sums = `
  SELECT count(*) AS cells FROM (
    SELECT p.pool, t.c2, t.c3, t.c4, t.c5, t.c6, sum(t.amount) AS total
    FROM read_csv(${quoted(transactions)}, header = false, delim = ',', quote = '"',
      columns = {'amount': 'DOUBLE', 'c2': 'VARCHAR', 'c3': 'VARCHAR', 'c4': 'VARCHAR',
                 'c5': 'VARCHAR', 'c6': 'VARCHAR'}) AS t
    LEFT JOIN pools AS p ON t.c2 = p.account AND t.c3 = p.department
    GROUP BY p.pool, t.c2, t.c3, t.c4, t.c5, t.c6)`;
for (let run = 0; run < Number(repeats); ++run) {
  const started = performance.now();
  const reader = await connection.runAndReadAll(sums);
  const seconds = (performance.now() - started) / 1000;
  console.log(`duckdb seconds=${seconds.toFixed(3)} cells=${reader.getRows()[0][0]}`);
}
