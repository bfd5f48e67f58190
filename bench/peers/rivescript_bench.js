// Loads a RiveScript rule file, answers each input line, checks the replies
// and prints "load_seconds per_reply_seconds".
const fs = require('fs');
const RiveScript = require('rivescript');

const [rulesPath, inputsPath, expectedPath] = process.argv.slice(2);
const inputs = fs.readFileSync(inputsPath, 'utf8').split('\n').filter((l) => l.length);
const expected = fs.readFileSync(expectedPath, 'utf8').split('\n').filter((l) => l.length);

(async () => {
  const bot = new RiveScript({ utf8: false });
  let t0 = process.hrtime.bigint();
  await bot.loadFile(rulesPath);
  bot.sortReplies();
  const load = Number(process.hrtime.bigint() - t0) / 1e9;
  t0 = process.hrtime.bigint();
  for (let i = 0; i < inputs.length; i++) {
    const reply = await bot.reply('user', inputs[i]);
    if (reply !== expected[i]) {
      console.error(`rivescript: reply ${i} was "${reply}", expected "${expected[i]}"`);
      process.exit(1);
    }
  }
  const perReply = Number(process.hrtime.bigint() - t0) / 1e9 / inputs.length;
  console.log(`${load} ${perReply}`);
})();
