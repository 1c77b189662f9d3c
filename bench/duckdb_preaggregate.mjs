// Sums a transaction file by tuple of codes in DuckDB into a file that
// korava reads in its place: the statement of the README's "Larger than one
// machine: summing the ledger first", for a ledger of DIMENSIONS code
// columns. Prints "duckdb_preaggregate seconds=S lines_out=N".
//
//   node duckdb_preaggregate.mjs TRANSACTIONS DIMENSIONS OUTPUT THREADS
import { DuckDBInstance } from '@duckdb/node-api';

const [transactions, dimensions, output, threads] = process.argv.slice(2);
const quoted = (path) => `'${path.replaceAll("'", "''")}'`;
const codes = Array.from({ length: Number(dimensions) }, (_, i) => `code${i + 1}`);
// Each amount is read as a whole number of millionths, as korava holds it,
// and summed as one of up to 38 digits, exactly. An amount that is no number
// or of 10^12 or more, a line of more columns and a sum that overflows stop
// the statement instead of passing unseen.
const columns = [`'amount': 'DECIMAL(18,6)'`, ...codes.map((code) => `'${code}': 'VARCHAR'`)];
const statement = `
  COPY (
    SELECT sum(amount) AS amount, ${codes.join(', ')}
    FROM read_csv(${quoted(transactions)}, header = false, auto_detect = false,
                  delim = ',', quote = '"', escape = '"', null_padding = true,
                  columns = {${columns.join(', ')}})
    GROUP BY ALL
  ) TO ${quoted(output)} (HEADER false, DELIMITER ',')`;

const instance = await DuckDBInstance.create(':memory:', { threads: String(threads) });
const connection = await instance.connect();
const started = performance.now();
const result = await connection.runAndReadAll(statement);
const seconds = (performance.now() - started) / 1000;
console.log(`duckdb_preaggregate seconds=${seconds.toFixed(3)} lines_out=${result.getRows()[0][0]}`);
