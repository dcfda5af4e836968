// Prints the benchmark results as a Markdown table: median time of each
// benchmark, its goal where it has one, and whether the goal is met; then the
// growth of each sized benchmark from one size to the next (ten times the
// questions may cost at most twelve times the time).
'use strict';
const fs = require('fs');

const report = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
const toMs = { ns: 1e-6, us: 1e-3, ms: 1, s: 1e3 };

// Median of the repetitions when there are several, else the single run.
const runs = new Map();
for (const b of report.benchmarks) {
  if (b.error_occurred) {
    runs.set((b.run_name || b.name).replace(/\/(real|manual)_time$/, ''), { error: b.error_message });
    continue;
  }
  if (b.run_type === 'aggregate' && b.aggregate_name !== 'median') continue;
  const name = (b.run_name || b.name).replace(/\/(real|manual)_time$/, '');
  if (b.run_type === 'aggregate' || !runs.has(name))
    runs.set(name, { ms: b.real_time * toMs[b.time_unit] });
}

const goals = {
  'AnswerKeyPreparation/questions:1000': 10,
  'AnswerKeyPreparation/questions:10000': 500,
  'AnswerKeyPaste/questions:10000': 200,
  'GenerationRun/questions:1000/in_memory:0': 20,
  'StartupWindow/earlier_rows:0': 200,
  'StartupWindow/earlier_rows:10000': 200,
  'StartupProcess': 200,
  'SettingsSave': 5,
  'SinglePageGeneration/100': 400,
  'ResultFilesAnalysis/files:1000': 200,
  'FormReadPage/photo:0': 150,
  'FormReadPage/photo:1': 150,
};

const split = (name) => {
  const parts = name.split('/');
  return { bench: parts[0], size: parts.slice(1).join(' ') || '-' };
};
const fmt = (ms) => (ms >= 100 ? ms.toFixed(0) : ms >= 10 ? ms.toFixed(1) : ms.toFixed(2));

const lines = ['| Benchmark | Size | Time (ms) | Goal (ms) | Met? |', '|---|---|---:|---:|---|'];
let missed = 0;
for (const [name, r] of runs) {
  const { bench, size } = split(name);
  if (r.error) {
    lines.push(`| ${bench} | ${size} | failed: ${r.error} | | no |`);
    ++missed;
    continue;
  }
  const goal = goals[name];
  const met = goal === undefined ? '' : r.ms <= goal ? 'yes' : 'no';
  if (met === 'no') ++missed;
  lines.push(`| ${bench} | ${size} | ${fmt(r.ms)} | ${goal ?? ''} | ${met} |`);
}
console.log(lines.join('\n'));

// Growth: the same benchmark with the question count ten times larger.
const growth = ['', '| Benchmark | Questions | Time ratio | Goal | Met? |', '|---|---|---:|---:|---|'];
for (const [name, r] of runs) {
  const m = name.match(/^(AnswerKeyPreparation|GenerationRun)\/questions:(\d+)(.*)$/);
  if (!m || r.error) continue;
  const bigger = runs.get(`${m[1]}/questions:${Number(m[2]) * 10}${m[3]}`);
  if (!bigger || bigger.error) continue;
  const ratio = bigger.ms / r.ms;
  if (ratio > 12) ++missed;
  const { size } = split(`${m[1]}${m[3]}`);
  const extra = size === '-' ? '' : ` (${size})`;
  growth.push(`| ${m[1]}${extra} | ${m[2]} → ${Number(m[2]) * 10} | ${ratio.toFixed(1)} | ≤ 12 | ${ratio <= 12 ? 'yes' : 'no'} |`);
}
if (growth.length > 3) console.log(growth.join('\n'));
console.log(`\n${missed === 0 ? 'Every goal met.' : `${missed} goal(s) missed.`}`);
