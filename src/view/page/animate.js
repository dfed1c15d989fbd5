// The path's states played on the page: a slider and a play button step through them, the
// curve's marker follows, a click on the curve shows the state nearest that point, and the
// last event passed is named. The page gives `show(i)`, which updates its buffers in place.

// Seven significant digits, as the report prints them.
const number = (v) => String(Number(Number(v).toPrecision(7)));

const eventNames = { limit: 'limit point', bifurcation: 'bifurcation point', jump: 'jump' };

// `page`: { animation (the JSON's table), path (the curve's table), show(i), curve (with
// place(row) and onPick(handler)), root }. Returns the control the page exposes to scripts.
export function startAnimation(page) {
  const { animation, path, root } = page;
  const count = animation.rows.length;
  const panel = document.getElementById('animation');
  const slider = document.getElementById('state');
  const play = document.getElementById('play');
  const label = document.getElementById('state-label');
  const passed = document.getElementById('state-event');
  panel.hidden = false;
  slider.max = String(count - 1);
  if (animation.in_file > count)
    document.getElementById('state-note').textContent =
      `${count} of the path's ${animation.in_file} states: all this page can hold`;

  // The events by row, in order: a state has passed those at or before its row.
  const events = [];
  path.kind.forEach((kind, row) => {
    if (kind !== 'regular' && !(kind === 'jump' && row > 0 && path.kind[row - 1] === 'jump'))
      events.push({ row, text: kind === 'slack' || kind === 'taut'
        ? `cable ${path.bar[row]} went ${kind} at ${number(path.load_factor[row])}`
        : `${eventNames[kind] || kind} at ${number(path.load_factor[row])}` });
  });

  let current = -1;
  function show(i) {
    i = Math.min(Math.max(Math.round(Number(i)) || 0, 0), count - 1);
    if (i === current) return;
    current = i;
    slider.value = String(i);
    page.show(i);
    const row = animation.rows[i];
    label.textContent = `state ${i + 1} of ${count} \u00b7 stage ${animation.stage[i]}, load factor ` +
      `${number(animation.load_factor[i])}`;
    let last = null;
    for (const e of events) if (e.row <= row) last = e;
    passed.textContent = last ? `passed: ${last.text}` : '';
    page.curve.place(row);
    root.setAttribute('data-state', String(i));
    root.setAttribute('data-state-event', last ? last.text : '');
  }

  // Playing: about five seconds for the whole path, a frame per state at the most.
  let playing = false, lastStep = 0;
  const stepTime = Math.min(400, Math.max(1000 / 60, 5000 / count));
  function tick(time) {
    if (!playing) return;
    if (time - lastStep >= stepTime) {
      lastStep = time;
      if (current + 1 >= count) return void setPlaying(false);
      show(current + 1);
    }
    requestAnimationFrame(tick);
  }
  function setPlaying(on) {
    playing = on;
    play.textContent = on ? '\u275a\u275a pause' : '\u25b6 play';
    root.setAttribute('data-playing', String(on));
    if (on) {
      if (current + 1 >= count) show(0);
      lastStep = performance.now();
      requestAnimationFrame(tick);
    }
  }
  play.addEventListener('click', () => setPlaying(!playing));
  let slidePending = false;
  slider.addEventListener('input', () => {
    setPlaying(false);
    if (slidePending) return;
    slidePending = true;
    requestAnimationFrame(() => { slidePending = false; show(slider.value); });
  });
  // A click on the curve: the state whose row is nearest the point clicked.
  page.curve.onPick((row) => {
    setPlaying(false);
    let best = 0;
    for (let i = 1; i < count; ++i)
      if (Math.abs(animation.rows[i] - row) < Math.abs(animation.rows[best] - row)) best = i;
    show(best);
  });
  // #state=N (from 1) opens the page at state N, as a link or a screenshot asks.
  const fromHash = () => {
    const asked = /(?:^#|&)state=(\d+)/.exec(location.hash);
    show(asked ? Number(asked[1]) - 1 : animation.start);
  };
  window.addEventListener('hashchange', fromHash);
  fromHash();
  play.textContent = '\u25b6 play';
  return { show, get state() { return current; }, count, play: () => setPlaying(true) };
}
