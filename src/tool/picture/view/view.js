// The page of one compiled scenario, for its author: the route plan to scale,
// the profiles along the line, and the inspector that decodes the 50 m
// segment under a chosen metre with the names `scenario-tool dump` uses.
//
// Everything comes from the JSON in #scenario-data, which scenario-tool
// writes; the page fetches nothing.  Positions are whole metres from the
// start of the route plan.  A segment (cell) i holds the metres that round
// to it, m / 50 rounded to the nearest integer with an exact half going to
// the even neighbour, the same rounding the compiler uses for every
// position it files into the segment array.
'use strict';

// One block keeps every name of the page out of the global scope.
{
  const data = JSON.parse(document.getElementById('scenario-data').textContent);
  const CELL = data.cell_metres;
  const COLOURS = {
    line: '#1f3b73',
    station: '#111111',
    signal: '#1f8a3a',
    board: '#1f77b4',
    sign: '#7b3fa0',
    tunnel: '#8a5a00',
    slowdown: '#d62728',
    select: '#e8590c',
    hover: '#4a5563',
    grid: '#e6e8eb',
  };
  const KIND = {
    signal: 1,
    slowdownEnd: 2,
    slowdownStart: 3,
    slowdownWarning: 4,
    slowdownLeadIn: 5,
    speedBoard: 6,
    stopMark: 10,
    tunnelMarker: 11,
    codePoint: 12,
    codePointWithoutValue: 13,
    signBoard: 14,
  };

  // ---------------------------------------------------------------------
  // Positions and their texts

  // n / d rounded to the nearest integer, an exact half to the even one.
  function roundHalfEven(n, d) {
    let q = Math.floor(n / d);
    const r = n - q * d;
    if (2 * r > d || (2 * r === d && q % 2 !== 0)) q += 1;
    return q;
  }

  function segmentOf(metre) {
    return roundHalfEven(metre, CELL);
  }

  // The stretch of line segment i stands for, as every listing states it:
  // metres 50 i to 50 (i + 1), whose gradient, speed and tunnel it carries.
  function spanText(first, last = first) {
    return `covering ${grouped(first * CELL)}\u2013${metresText((last + 1) * CELL)}`;
  }

  // The first and last metre that round to segment i.
  function coverOf(i) {
    let lo = i * CELL - Math.floor(CELL / 2);
    let hi = i * CELL + Math.floor(CELL / 2);
    if (segmentOf(lo) !== i) lo += 1;
    if (segmentOf(hi) !== i) hi -= 1;
    return [lo, hi];
  }

  function grouped(n) {
    return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, '\u00a0');
  }

  function metresText(m) {
    return `${grouped(m)}\u00a0m`;
  }

  // Railway style: km 12+345.
  function kmText(m) {
    const sign = m < 0 ? '\u2212' : '';
    const a = Math.abs(m);
    return `km\u00a0${sign}${Math.floor(a / 1000)}+${String(a % 1000).padStart(3, '0')}`;
  }

  function distanceText(from, to) {
    const d = to - from;
    if (d === 0) return 'here';
    const a = Math.abs(d);
    const size = a >= 1000 ? `${(a / 1000).toFixed(a >= 10000 ? 1 : 2)}\u00a0km` : metresText(a);
    return `${size} ${d > 0 ? 'ahead' : 'back'}`;
  }

  function clockText(seconds) {
    const h = Math.floor(seconds / 3600);
    const m = Math.floor((seconds % 3600) / 60);
    const s = seconds % 60;
    const hm = `${String(h).padStart(2, '0')}:${String(m).padStart(2, '0')}`;
    return s === 0 ? hm : `${hm}:${String(s).padStart(2, '0')}`;
  }

  // ---------------------------------------------------------------------
  // Segment cells: point fields where one is set, properties as runs

  const pointCells = data.points.cell;

  // Where a point object is drawn: at the position its entry is written at,
  // as dump, the plot and the texts give it, not at the metre its segment
  // is labelled with; an object no entry places by position (a lead-in
  // cell, an approach mark) at the start of its segment's span.
  function pointMetre(n) {
    const p = data.points.position[n];
    return p === null || p === undefined ? pointCells[n] * CELL : p;
  }

  // The metre to select for a click at metre m: an object drawn within
  // `reach` metres (never more than one segment) is what was clicked, so its
  // own segment is selected, not the one its drawn place rounds to.
  function clickedMetre(m, reach) {
    const r = Math.min(CELL, reach);
    let best = null;
    let bestD = r;
    const from = Math.max(0, lastAtOrBelow(pointCells, segmentOf(m) - 2));
    for (let n = from; n < pointCells.length && pointCells[n] <= segmentOf(m) + 2; n += 1) {
      const p = data.points.position[n];
      if (p === null || p === undefined) continue;
      const d = Math.abs(p - m);
      if (d <= bestD) {
        bestD = d;
        best = pointCells[n] * CELL;
      }
    }
    return best ?? m;
  }
  const runFields = Object.keys(data.runs);

  // Index of the last element of the ascending `list` not above `v`, or -1.
  function lastAtOrBelow(list, v) {
    let lo = 0;
    let hi = list.length - 1;
    let found = -1;
    while (lo <= hi) {
      const mid = (lo + hi) >> 1;
      if (list[mid] <= v) {
        found = mid;
        lo = mid + 1;
      } else {
        hi = mid - 1;
      }
    }
    return found;
  }

  function runValue(field, i) {
    const run = data.runs[field];
    const at = lastAtOrBelow(run.cell, i);
    return at < 0 ? 0 : run.value[at];
  }

  // Every stored field of cell i, by the names the listings use.
  function cell(i) {
    if (!Number.isInteger(i) || i < 0 || i >= data.cell_count) return null;
    const at = lastAtOrBelow(pointCells, i);
    const point = at >= 0 && pointCells[at] === i ? at : -1;
    // Where the author wrote the object of the cell, null where none stands
    // or no entry places its kind by position.
    const c = {index: i, position: point >= 0 ? data.points.position[point] : null};
    for (const name of data.fields) {
      if (runFields.includes(name))
        c[name] = runValue(name, i);
      else
        c[name] = point >= 0 ? data.points[name][point] : 0;
    }
    return c;
  }

  function kindName(kind) {
    return data.kind_names[String(kind)] ?? 'unknown';
  }

  // Cells of one kind, ascending.
  function cellsOfKind(kind) {
    const list = [];
    pointCells.forEach((c, n) => {
      if (data.points.kind[n] === kind) list.push(c);
    });
    return list;
  }

  const signalCells = cellsOfKind(KIND.signal);
  const stations = data.stations;
  const stationPositions = stations.map((s) => s.position);

  // ---------------------------------------------------------------------
  // The route plan: every metre to the millimetre, as `dump` prints it

  const EMPTY = 1;
  const UNDRAWABLE = 2;
  const MINUS_ZERO = 3;

  // Undoes scenario-tool's packing of one column (see encode_plan_column):
  // each metre is the straight continuation of the two before it, plus a
  // difference told by a letter or a bracketed number.
  function decodeColumn(text, count) {
    const mm = new Float64Array(count);
    const form = new Uint8Array(count);
    const undrawable = new Map();  // metre -> the value as printed
    let m = 0;
    let last = 0;
    let before = 0;
    let i = 0;
    while (i < text.length) {
      let c = text.charCodeAt(i++);
      const minus = c === 45;  // "-": the value prints as -0.000
      if (minus) c = text.charCodeAt(i++);
      let shape = 0;
      let d = 0;
      if (c === 40) {
        const close = text.indexOf(')', i);
        d = Number(text.slice(i, close));
        i = close + 1;
      } else if (c >= 65 && c <= 90) {
        d = c - 65 - 26;
      } else if (c >= 97 && c <= 122) {
        d = c - 97;
      } else if (c === 33) {
        shape = EMPTY;
      } else if (c === 39) {
        const close = text.indexOf('\'', i);
        undrawable.set(m, text.slice(i, close));
        shape = UNDRAWABLE;
        i = close + 1;
      } else {
        throw new Error(`route plan: unexpected character at ${i - 1}`);
      }
      let repeat = 1;
      if (c !== 40 && c !== 39 && !minus) {
        let digits = 0;
        let n = 0;
        while (i < text.length && text.charCodeAt(i) >= 48 && text.charCodeAt(i) <= 57) {
          n = n * 10 + (text.charCodeAt(i++) - 48);
          digits += 1;
        }
        if (digits > 0) repeat = n;
      }
      if (m + repeat > count) throw new Error('route plan: more metres than announced');
      for (let k = 0; k < repeat; k += 1, m += 1) {
        if (shape === 0) {
          const v = 2 * last - before + d;
          mm[m] = v;
          before = last;
          last = v;
          form[m] = minus ? MINUS_ZERO : 0;
        } else {
          form[m] = shape;
        }
      }
    }
    if (m !== count) throw new Error('route plan: fewer metres than announced');
    return {mm, form, undrawable};
  }

  function buildPlan(packed) {
    const count = packed.last + 1;
    const x = decodeColumn(packed.x, count);
    const y = decodeColumn(packed.y, count);
    const xs = new Float64Array(count);
    const ys = new Float64Array(count);
    // anchor[m]: the metre drawn for m, the last drawable one at or before it.
    const anchor = new Int32Array(count);
    let lastDrawable = -1;
    for (let m = 0; m < count; m += 1) {
      const ok = (x.form[m] === 0 || x.form[m] === MINUS_ZERO) &&
          (y.form[m] === 0 || y.form[m] === MINUS_ZERO);
      if (ok) {
        xs[m] = x.mm[m] / 1000;
        ys[m] = y.mm[m] / 1000;
        lastDrawable = m;
      }
      anchor[m] = lastDrawable;
    }
    const plan = {last: packed.last, x, y, xs, ys, anchor};
    plan.chunks = chunkBoxes(plan);
    return plan;
  }

  // Bounding boxes of runs of CHUNK metres (each including the first metre
  // of the next, so that a box holds every stroke drawn from its metres):
  // drawing and hit tests skip the boxes off the screen.
  const CHUNK = 256;
  function chunkBoxes(plan) {
    const n = Math.ceil((plan.last + 1) / CHUNK);
    const box = new Float64Array(4 * n);
    const all = [Infinity, Infinity, -Infinity, -Infinity];
    for (let k = 0; k < n; k += 1) {
      let x0 = Infinity;
      let y0 = Infinity;
      let x1 = -Infinity;
      let y1 = -Infinity;
      const end = Math.min(plan.last, (k + 1) * CHUNK);
      for (let m = k * CHUNK; m <= end; m += 1) {
        if (plan.anchor[m] !== m) continue;
        const px = plan.xs[m];
        const py = plan.ys[m];
        if (px < x0) x0 = px;
        if (px > x1) x1 = px;
        if (py < y0) y0 = py;
        if (py > y1) y1 = py;
      }
      box.set([x0, y0, x1, y1], 4 * k);
      all[0] = Math.min(all[0], x0);
      all[1] = Math.min(all[1], y0);
      all[2] = Math.max(all[2], x1);
      all[3] = Math.max(all[3], y1);
    }
    return {n, box, all};
  }

  function millimetreText(v) {
    const a = Math.abs(v);
    let whole = Math.floor(a / 1000);
    let part = a - whole * 1000;
    if (part < 0) {
      whole -= 1;
      part += 1000;
    }
    return `${v < 0 ? '-' : ''}${whole}.${String(part).padStart(3, '0')}`;
  }

  // One coordinate of a metre exactly as `dump` lists it ("-" when empty).
  function coordinateText(metre, column) {
    if (!plan || metre < 0 || metre > plan.last) return null;
    const c = column === 0 ? plan.x : plan.y;
    switch (c.form[metre]) {
      case EMPTY:
        return '-';
      case UNDRAWABLE:
        return c.undrawable.get(metre);
      case MINUS_ZERO:
        return '-0.000';
      default:
        return millimetreText(c.mm[metre]);
    }
  }

  // Where metre m lies on the plan, or null when nothing at or before it is.
  function planPoint(m) {
    if (!plan) return null;
    const at = plan.anchor[Math.max(0, Math.min(plan.last, Math.round(m)))];
    return at < 0 ? null : [plan.xs[at], plan.ys[at]];
  }

  const plan = data.plan ? buildPlan(data.plan) : null;
  const planDrawable = plan !== null && Number.isFinite(plan.chunks.all[0]);
  const lastMetre = Math.max(plan ? plan.last : 0, (data.cell_count - 1) * CELL, 0);
  const lineEnd = Math.min(data.line_length, lastMetre);

  // ---------------------------------------------------------------------
  // State

  const state = {
    selection: null,  // metre
    hover: null,      // metre
  };

  // ---------------------------------------------------------------------
  // Canvas helpers

  function setUpCanvas(canvas) {
    const ratio = window.devicePixelRatio || 1;
    const w = Math.max(1, canvas.clientWidth);
    const h = Math.max(1, canvas.clientHeight);
    if (canvas.width !== Math.round(w * ratio) || canvas.height !== Math.round(h * ratio)) {
      canvas.width = Math.round(w * ratio);
      canvas.height = Math.round(h * ratio);
    }
    const ctx = canvas.getContext('2d');
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    return {ctx, w, h};
  }

  // Round steps (1, 2, 5 times a power of ten) giving about `wanted` ticks.
  function tickStep(span, wanted) {
    if (!(span > 0)) return 1;
    const raw = span / wanted;
    const power = 10 ** Math.floor(Math.log10(raw));
    for (const f of [1, 2, 5, 10])
      if (f * power >= raw) return f * power;
    return 10 * power;
  }

  function haloText(ctx, text, x, y, colour) {
    ctx.lineJoin = 'round';
    ctx.lineWidth = 3;
    ctx.strokeStyle = 'rgba(255,255,255,0.92)';
    ctx.strokeText(text, x, y);
    ctx.fillStyle = colour;
    ctx.fillText(text, x, y);
  }

  // Boxes of labels already placed, so that crowded labels give way.
  function labelSpace() {
    const taken = [];
    return (x, y, w, h) => {
      for (const t of taken) {
        if (x < t[0] + t[2] && t[0] < x + w && y < t[1] + t[3] && t[1] < y + h) return false;
      }
      taken.push([x, y, w, h]);
      return true;
    };
  }

  // ---------------------------------------------------------------------
  // The map: the route plan to scale, north up

  const mapCanvas = document.getElementById('map');
  const mapView = {cx: 0, cy: 0, scale: 1, fitScale: 1, w: 1, h: 1};
  const MAP_MARGIN = 36;
  const MAP_MAX_SCALE = 40;  // pixels per metre

  function mapFit() {
    if (!planDrawable) return;
    const [x0, y0, x1, y1] = plan.chunks.all;
    const w = Math.max(x1 - x0, 1);
    const h = Math.max(y1 - y0, 1);
    mapView.fitScale =
        Math.min((mapView.w - 2 * MAP_MARGIN) / w, (mapView.h - 2 * MAP_MARGIN - 30) / h);
    mapView.fitScale = Math.max(mapView.fitScale, 1e-9);
    mapView.scale = mapView.fitScale;
    mapView.cx = (x0 + x1) / 2;
    mapView.cy = (y0 + y1) / 2 - 15 / mapView.scale;  // room for the legend on top
  }

  function toScreen(x, y) {
    return [
      mapView.w / 2 + (x - mapView.cx) * mapView.scale,
      mapView.h / 2 - (y - mapView.cy) * mapView.scale
    ];
  }

  function toWorld(sx, sy) {
    return [
      mapView.cx + (sx - mapView.w / 2) / mapView.scale,
      mapView.cy - (sy - mapView.h / 2) / mapView.scale
    ];
  }

  function mapZoom(factor, sx = mapView.w / 2, sy = mapView.h / 2) {
    const [wx, wy] = toWorld(sx, sy);
    const next = Math.min(MAP_MAX_SCALE, Math.max(mapView.fitScale / 8, mapView.scale * factor));
    mapView.scale = next;
    // Keep the point under the pointer where it is.
    mapView.cx = wx - (sx - mapView.w / 2) / next;
    mapView.cy = wy + (sy - mapView.h / 2) / next;
    render();
  }

  function chunkOnScreen(k, marginPx) {
    const b = plan.chunks.box;
    const [wx0, wy1] = toWorld(-marginPx, -marginPx);
    const [wx1, wy0] = toWorld(mapView.w + marginPx, mapView.h + marginPx);
    return b[4 * k] <= wx1 && b[4 * k + 2] >= wx0 && b[4 * k + 1] <= wy1 && b[4 * k + 3] >= wy0;
  }

  // The plan from metre a to metre b as one path, at about a point a pixel.
  function tracePlan(ctx, a, b) {
    a = Math.max(0, Math.round(a));
    b = Math.min(plan.last, Math.round(b));
    const step = Math.max(1, Math.floor(0.8 / mapView.scale));
    ctx.beginPath();
    let pen = false;
    for (let k = Math.floor(a / CHUNK); k <= Math.floor(b / CHUNK); k += 1) {
      if (!chunkOnScreen(k, 20)) {
        pen = false;
        continue;
      }
      const m0 = Math.max(a, k * CHUNK);
      const m1 = Math.min(b, (k + 1) * CHUNK);
      for (let m = m0;; m = Math.min(m + step, m1)) {
        if (plan.anchor[m] === m) {
          const [sx, sy] = toScreen(plan.xs[m], plan.ys[m]);
          if (pen)
            ctx.lineTo(sx, sy);
          else
            ctx.moveTo(sx, sy);
          pen = true;
        } else {
          pen = false;
        }
        if (m === m1) break;
      }
    }
  }

  function strokePlan(ctx, a, b, colour, width, alpha = 1, dash = []) {
    if (b < a) return;
    tracePlan(ctx, a, b);
    ctx.save();
    ctx.globalAlpha = alpha;
    ctx.strokeStyle = colour;
    ctx.lineWidth = width;
    ctx.lineJoin = 'round';
    ctx.lineCap = 'round';
    ctx.setLineDash(dash);
    ctx.stroke();
    ctx.restore();
  }

  // A point object's place on the screen, or null when off it.
  function screenPointOfMetre(m, margin = 10) {
    const p = planPoint(m);
    if (!p) return null;
    const [sx, sy] = toScreen(p[0], p[1]);
    if (sx < -margin || sy < -margin || sx > mapView.w + margin || sy > mapView.h + margin) {
      return null;
    }
    return [sx, sy];
  }

  function drawMapObjects(ctx) {
    const kmPx = mapView.scale * 1000;
    const showSignals = kmPx >= 4;
    const showBoards = kmPx >= 30;
    if (!showSignals) return;
    pointCells.forEach((c, n) => {
      const kind = data.points.kind[n];
      const isBoard = kind === KIND.speedBoard || kind === KIND.signBoard;
      if (kind !== KIND.signal && !(isBoard && showBoards)) return;
      const p = screenPointOfMetre(pointMetre(n));
      if (!p) return;
      const [x, y] = p;
      ctx.beginPath();
      if (kind === KIND.signal) {
        const r = kmPx >= 40 ? 3.5 : 2.5;
        ctx.rect(x - r, y - r, 2 * r, 2 * r);
        ctx.fillStyle = COLOURS.signal;
      } else if (kind === KIND.speedBoard) {
        ctx.moveTo(x, y - 4.5);
        ctx.lineTo(x + 4.5, y);
        ctx.lineTo(x, y + 4.5);
        ctx.lineTo(x - 4.5, y);
        ctx.fillStyle = COLOURS.board;
      } else {
        ctx.moveTo(x, y - 5);
        ctx.lineTo(x + 4.5, y + 3.5);
        ctx.lineTo(x - 4.5, y + 3.5);
        ctx.fillStyle = COLOURS.sign;
      }
      ctx.closePath();
      ctx.fill();
    });
  }

  function drawMapStations(ctx, fits) {
    ctx.font = '12px "DejaVu Sans", Arial, sans-serif';
    ctx.textBaseline = 'middle';
    const radius = mapView.scale * 1000 >= 8 ? 5 : 3.5;
    for (const st of stations) {
      const p = screenPointOfMetre(st.position, 200);
      if (!p) continue;
      const [x, y] = p;
      ctx.beginPath();
      ctx.arc(x, y, radius, 0, 2 * Math.PI);
      ctx.fillStyle = '#fff';
      ctx.fill();
      ctx.lineWidth = 2;
      ctx.strokeStyle = COLOURS.station;
      ctx.stroke();
      const w = ctx.measureText(st.name).width;
      if (fits(x + 8, y - 8, w + 4, 16)) haloText(ctx, st.name, x + 9, y, COLOURS.station);
    }
  }

  function drawSlowdownsOnMap(ctx) {
    for (const s of data.slowdowns) {
      const from = s.from;
      strokePlan(ctx, from, Math.max(s.to, from + 1), COLOURS.slowdown, 10, 0.45);
    }
  }

  // Labels after the stations', where they still find room.
  function drawSlowdownLabels(ctx, fits) {
    ctx.font = 'bold 11px "DejaVu Sans", Arial, sans-serif';
    ctx.textBaseline = 'middle';
    for (const s of data.slowdowns) {
      const p = screenPointOfMetre(Math.max(s.to, s.from + 1));
      if (!p) continue;
      const text = `${s.speed} km/h`;
      const w = ctx.measureText(text).width;
      if (fits(p[0] + 8, p[1] + 6, w + 4, 14))
        haloText(ctx, text, p[0] + 9, p[1] + 13, COLOURS.slowdown);
    }
  }

  // Posts along the line at round distances, about every 120 pixels.
  function drawKilometrePosts(ctx, fits) {
    const step = Math.max(100, tickStep(120 / mapView.scale, 1));
    ctx.font = '10px "DejaVu Sans", Arial, sans-serif';
    ctx.textBaseline = 'middle';
    for (let m = step; m < lineEnd; m += step) {
      const p = screenPointOfMetre(m, 0);
      if (!p) continue;
      const text = step >= 1000 ? `${m / 1000} km` : kmText(m).slice(3);
      const w = ctx.measureText(text).width;
      if (!fits(p[0] - w - 10, p[1] - 6, w + 4, 12)) continue;
      ctx.fillStyle = '#6b7480';
      ctx.fillRect(p[0] - 2, p[1] - 2, 4, 4);
      haloText(ctx, text, p[0] - w - 8, p[1], '#6b7480');
    }
  }

  function drawHoverLabel(ctx, m) {
    const p = screenPointOfMetre(m, 0);
    if (!p) return;
    const text = `${kmText(m)} \u00b7 ${metresText(m)}`;
    ctx.font = '11px "DejaVu Sans", Arial, sans-serif';
    const w = ctx.measureText(text).width + 10;
    const left = Math.min(p[0] + 12, mapView.w - w - 4);
    const top = Math.max(p[1] - 26, 4);
    ctx.fillStyle = 'rgba(27,31,36,0.85)';
    ctx.fillRect(left, top, w, 16);
    ctx.fillStyle = '#fff';
    ctx.textAlign = 'left';
    ctx.textBaseline = 'middle';
    ctx.fillText(text, left + 5, top + 8);
  }

  function drawMarker(ctx, m, colour, radius, width) {
    const p = screenPointOfMetre(m, 40);
    if (!p) return;
    ctx.beginPath();
    ctx.arc(p[0], p[1], radius, 0, 2 * Math.PI);
    ctx.lineWidth = width;
    ctx.strokeStyle = colour;
    ctx.stroke();
  }

  function drawScaleBar(ctx) {
    const metres = tickStep(mapView.w / 6 / mapView.scale, 1);
    const len = metres * mapView.scale;
    const x = 16;
    const y = mapView.h - 18;
    ctx.fillStyle = 'rgba(255,255,255,0.85)';
    ctx.fillRect(x - 6, y - 20, len + 120, 30);
    ctx.strokeStyle = '#222';
    ctx.lineWidth = 2;
    ctx.beginPath();
    ctx.moveTo(x, y - 5);
    ctx.lineTo(x, y);
    ctx.lineTo(x + len, y);
    ctx.lineTo(x + len, y - 5);
    ctx.stroke();
    ctx.font = '12px "DejaVu Sans", Arial, sans-serif';
    ctx.fillStyle = '#222';
    ctx.textBaseline = 'alphabetic';
    const label = metres >= 1000 ? `${metres / 1000} km` : `${metres} m`;
    ctx.fillText(`${label}   \u2191 N`, x + len + 8, y);
  }

  function drawMap() {
    const {ctx, w, h} = setUpCanvas(mapCanvas);
    mapView.w = w;
    mapView.h = h;
    ctx.clearRect(0, 0, w, h);
    if (!plan) return;
    strokePlan(ctx, lineEnd, plan.last, COLOURS.line, 1.4, 0.5, [6, 4]);
    strokePlan(ctx, 0, lineEnd, COLOURS.line, 2.5);
    for (const t of data.tunnels) {
      strokePlan(ctx, coverOf(t.first_cell)[0], coverOf(t.last_cell)[1], COLOURS.tunnel, 7, 0.8);
    }
    drawSlowdownsOnMap(ctx);
    drawMapObjects(ctx);
    const fits = labelSpace();
    drawMapStations(ctx, fits);
    drawSlowdownLabels(ctx, fits);
    drawKilometrePosts(ctx, fits);
    if (state.hover !== null) drawMarker(ctx, state.hover, COLOURS.hover, 6, 2);
    if (state.selection !== null) {
      drawMarker(ctx, state.selection, '#fff', 9, 5);
      drawMarker(ctx, state.selection, COLOURS.select, 9, 3);
    }
    if (state.hover !== null) drawHoverLabel(ctx, state.hover);
    drawScaleBar(ctx);
  }

  // The metre of the plan nearest a screen point, within `tolerance` pixels.
  function metreNear(sx, sy, tolerance) {
    if (!plan) return null;
    const [wx, wy] = toWorld(sx, sy);
    const reach = tolerance / mapView.scale;
    const b = plan.chunks.box;
    let best = null;
    let bestD = reach * reach;
    for (let k = 0; k < plan.chunks.n; k += 1) {
      if (wx < b[4 * k] - reach || wx > b[4 * k + 2] + reach || wy < b[4 * k + 1] - reach ||
          wy > b[4 * k + 3] + reach)
        continue;
      const end = Math.min(plan.last, (k + 1) * CHUNK);
      for (let m = k * CHUNK; m <= end; m += 1) {
        if (plan.anchor[m] !== m) continue;
        const dx = plan.xs[m] - wx;
        const dy = plan.ys[m] - wy;
        const d = dx * dx + dy * dy;
        if (d <= bestD) {
          bestD = d;
          best = m;
        }
      }
    }
    return best;
  }

  // ---------------------------------------------------------------------
  // The profiles: one position axis with its own zoom

  const profileCanvas = document.getElementById('profiles');
  const profileView = {m0: 0, m1: Math.max(lastMetre, 1), w: 1, h: 1};
  const PROFILE_LEFT = 74;
  const PROFILE_RIGHT = 14;
  const PROFILE_MIN_SPAN = 200;
  const PANEL_TITLE = 15;  // the top of each panel holds its title

  const PROFILES = [
    {field: 'gradient', title: 'gradient', colour: '#6a3d9a', value: (v) => v - 100, share: 1.1},
    {
      field: 'speed_limit',
      title: 'speed limit km/h',
      colour: '#1f3b73',
      value: (v) => v * 5,
      share: 1.1
    },
    {field: 'adhesion', title: 'adhesion', colour: '#2b8a8a', value: (v) => v, share: 0.8},
  ];
  // The scales leave out the last three cells, which the readers never set.
  const scaledCells = Math.max(1, data.cell_count - 3);
  for (const p of PROFILES) {
    const run = data.runs[p.field];
    const values = run.value.filter((v, n) => run.cell[n] < scaledCells).map(p.value);
    if (p.field === 'speed_limit')
      for (const s of data.slowdowns) values.push(s.speed);
    let lo = values.reduce((a, v) => Math.min(a, v), 0);
    let hi = values.reduce((a, v) => Math.max(a, v), 0);
    const step = tickStep(Math.max(hi - lo, 1), 3);
    lo = Math.floor(lo / step) * step;
    hi = Math.ceil(hi / step) * step;
    if (hi - lo < step) hi = lo + step;
    Object.assign(p, {lo, hi, step});
  }

  function profileX(m) {
    const plotW = profileView.w - PROFILE_LEFT - PROFILE_RIGHT;
    return PROFILE_LEFT + ((m - profileView.m0) / (profileView.m1 - profileView.m0)) * plotW;
  }

  function profileMetre(x) {
    const plotW = profileView.w - PROFILE_LEFT - PROFILE_RIGHT;
    return profileView.m0 + ((x - PROFILE_LEFT) / plotW) * (profileView.m1 - profileView.m0);
  }

  function profileSetRange(m0, m1) {
    const full = Math.max(lastMetre, 1);
    const span = Math.min(Math.max(m1 - m0, PROFILE_MIN_SPAN), full * 1.2);
    const pad = span * 0.05;
    const start =
        span >= full ? (full - span) / 2 : Math.max(-pad, Math.min(m0, full + pad - span));
    profileView.m0 = start;
    profileView.m1 = start + span;
  }

  function profileZoom(factor, x = profileView.w / 2) {
    const at = profileMetre(x);
    const span = (profileView.m1 - profileView.m0) / factor;
    const share = (at - profileView.m0) / (profileView.m1 - profileView.m0);
    profileSetRange(at - share * span, at - share * span + span);
    render();
  }

  function profileFit() {
    profileView.m0 = 0;
    profileView.m1 = Math.max(lastMetre, 1);
  }

  // Vertical rows of the profile canvas.
  function profileRows(h) {
    const top = 32;
    const strip = stationRows * STATION_ROW + 38;
    const axis = 26 + stripLegend.offsetHeight;  // the legend of the marks goes below
    const gap = 6;
    const left = h - top - strip - axis - gap * PROFILES.length;
    const shares = PROFILES.reduce((s, p) => s + p.share, 0);
    const rows = {strip: [top, top + strip], panels: []};
    let y = top + strip + gap;
    for (const p of PROFILES) {
      const height = (left * p.share) / shares;
      rows.panels.push([y, y + height]);
      y += height + gap;
    }
    rows.axis = y - gap;
    return rows;
  }

  function visibleCells() {
    const first = Math.max(0, segmentOf(Math.floor(profileView.m0)) - 1);
    const last = Math.min(data.cell_count - 1, segmentOf(Math.ceil(profileView.m1)) + 1);
    return [first, last];
  }

  // The left edge of cell i on the axis: half-way to the cell before.
  function cellEdge(i) {
    return i * CELL - CELL / 2;
  }

  function drawStepLine(ctx, p, top, bottom) {
    const run = data.runs[p.field];
    const [first, last] = visibleCells();
    const scale = panelScale(p, top, bottom);
    const sy = (v) => scale(p.value(v));
    let r = Math.max(0, lastAtOrBelow(run.cell, first));
    ctx.beginPath();
    let started = false;
    for (; r < run.cell.length && run.cell[r] <= last; r += 1) {
      const from = Math.max(0, cellEdge(run.cell[r]));
      const to = r + 1 < run.cell.length ? cellEdge(run.cell[r + 1]) : lastMetre;
      const y = sy(run.value[r]);
      if (started)
        ctx.lineTo(profileX(from), y);
      else
        ctx.moveTo(profileX(from), y);
      started = true;
      ctx.lineTo(profileX(to), y);
    }
    ctx.strokeStyle = p.colour;
    ctx.lineWidth = 1.8;
    ctx.stroke();
  }

  function panelScale(p, top, bottom) {
    return (v) => bottom - ((v - p.lo) / (p.hi - p.lo)) * (bottom - top - PANEL_TITLE);
  }

  // A panel's ground, grid and value labels.
  function drawPanelFrame(ctx, p, top, bottom, plotRight) {
    ctx.fillStyle = '#fbfbfc';
    ctx.fillRect(PROFILE_LEFT, top, plotRight - PROFILE_LEFT, bottom - top);
    const sy = panelScale(p, top, bottom);
    ctx.font = '11px "DejaVu Sans", Arial, sans-serif';
    ctx.textAlign = 'right';
    ctx.textBaseline = 'middle';
    const roomy = sy(p.lo) - sy(p.lo + p.step) >= 12;
    for (let v = p.lo; v <= p.hi + p.step / 2; v += p.step) {
      ctx.strokeStyle = v === 0 ? '#c9ced6' : COLOURS.grid;
      ctx.lineWidth = 1;
      ctx.beginPath();
      ctx.moveTo(PROFILE_LEFT, Math.round(sy(v)) + 0.5);
      ctx.lineTo(plotRight, Math.round(sy(v)) + 0.5);
      ctx.stroke();
      ctx.fillStyle = '#5b6470';
      const labelY = Math.min(bottom - 5, Math.max(top + 5, sy(v)));
      if (roomy || v === p.lo || v + p.step > p.hi + p.step / 2) {
        ctx.fillText(String(Math.round(v * 100) / 100), PROFILE_LEFT - 6, labelY);
      }
    }
  }

  // A panel's values (and, over the speed limit, each slowdown's speed).
  function drawPanelData(ctx, p, top, bottom) {
    const sy = panelScale(p, top, bottom);
    if (p.field === 'speed_limit') {
      for (const s of data.slowdowns) {
        const x0 = profileX(s.from);
        const x1 = profileX(s.to);
        ctx.strokeStyle = COLOURS.slowdown;
        ctx.lineWidth = 2.5;
        ctx.beginPath();
        ctx.moveTo(x0, sy(s.speed));
        ctx.lineTo(x1, sy(s.speed));
        ctx.stroke();
        ctx.textAlign = 'left';
        ctx.textBaseline = 'alphabetic';
        ctx.font = 'bold 11px "DejaVu Sans", Arial, sans-serif';
        haloText(ctx, `${s.speed} km/h`, x1 + 4, sy(s.speed) - 5, COLOURS.slowdown);
      }
    }
    ctx.save();
    ctx.beginPath();
    ctx.rect(PROFILE_LEFT, top, profileView.w - PROFILE_LEFT - PROFILE_RIGHT, bottom - top);
    ctx.clip();
    drawStepLine(ctx, p, top, bottom);
    ctx.restore();
    ctx.textAlign = 'left';
    ctx.textBaseline = 'top';
    ctx.font = '600 11px "DejaVu Sans", Arial, sans-serif';
    ctx.fillStyle = p.colour;
    ctx.fillText(p.title, PROFILE_LEFT + 5, top + 2);
  }


  // ---------------------------------------------------------------------
  // The overview along the top of the profiles: station names, tunnels and
  // the marks of the segments, with a legend of the marks

  const STATION_ROW = 13;  // px: one row of station names
  const MAX_STATION_ROWS = 3;
  const LABEL_FONT = '11px "DejaVu Sans", Arial, sans-serif';
  const stationsAlong = [...stations].sort((a, b) => a.position - b.position);
  let stationRows = 1;

  // The marks by colour, each drawn from a zoom (pixels per segment) on:
  // the few that matter at a glance at once, the boards once they no longer
  // merge, the many small ones close up.
  const MARK_CLASSES = [
    {colour: COLOURS.station, from: 0, tall: true, kinds: [KIND.stopMark]},
    {colour: COLOURS.signal, from: 0, tall: true, kinds: [KIND.signal]},
    {colour: COLOURS.board, from: 0.25, tall: true, kinds: [KIND.speedBoard]},
    {colour: COLOURS.sign, from: 0.25, tall: true, kinds: [KIND.signBoard]}, {
      colour: COLOURS.slowdown,
      from: 4,
      tall: false,
      kinds: [KIND.slowdownEnd, KIND.slowdownStart, KIND.slowdownWarning, KIND.slowdownLeadIn],
      name: 'slowdown marks',
    },
    {colour: '#c1c7cf', from: 4, tall: false, kinds: [0], name: 'approach marks'},
    {colour: '#8a929c', from: 4, tall: false, kinds: null},  // every other kind
  ];

  function markClassOf(kind) {
    return MARK_CLASSES.find((c) => c.kinds === null || c.kinds.includes(kind));
  }

  // Which class each point falls in, and the names of the kinds each holds.
  const pointClass = data.points.kind.map(markClassOf);
  for (const c of MARK_CLASSES) c.present = new Set();
  // A cell of no kind is listed for its approach mark.
  data.points.kind.forEach((kind, n) => {
    pointClass[n].present.add(kind === 0 ? 'approach mark' : kindName(kind));
  });

  // One legend entry a class of marks the scenario holds, and the tunnels.
  const stripLegend = document.getElementById('strip-legend');
  function legendEntry(keyClass, colour, text) {
    const key = el('span', {class: `key ${keyClass}`});
    key.style.background = colour;
    return el('li', {}, key, text);
  }
  for (const c of MARK_CLASSES) {
    if (c.present.size === 0) continue;
    c.entry = legendEntry('key-tick', c.colour, c.name ?? [...c.present].sort().join(', '));
    c.entry.dataset.kinds = [...c.present].sort().join(', ');
    stripLegend.append(c.entry);
  }
  if (data.tunnels.length > 0)
    stripLegend.append(legendEntry('key-band', COLOURS.tunnel, 'tunnel'));

  // Dims the entries of the marks not drawn: too small at this zoom, or
  // none in view.
  function markLegendDrawn(drawn, cellPx) {
    for (const c of MARK_CLASSES) {
      if (!c.entry) continue;
      const why = drawn.has(c) ? '' : cellPx < c.from ? ': zoom in to see them' : ': none in view';
      c.entry.classList.toggle('not-drawn', why !== '');
      c.entry.title = c.entry.dataset.kinds + why;
    }
  }

  // Station names left to right, each in the first row where it fits whole
  // beside its station; where no row has room, in the row whose last name
  // began furthest back, and that name is shortened to make room (its full
  // name stays on hover).  Gives {n, st, row, left, width, whole}: n counts
  // the stations along the line, the rest is in pixels.
  function placeStationLabels(rows, plotRight) {
    const ctx = profileCanvas.getContext('2d');
    ctx.font = LABEL_FONT;
    const gap = 4;
    const last = new Array(rows).fill(null);
    const placed = [];
    const shorten = (label, room) => {
      if (label.width <= room) return;
      label.width = Math.max(0, room);
      label.whole = false;
    };
    for (const [n, st] of stationsAlong.entries()) {
      const x = profileX(st.position);
      if (x < PROFILE_LEFT - 2 || x > plotRight + 2) continue;
      const left = x + 2;
      let row = last.findIndex((l) => l === null || l.left + l.width + gap <= left);
      if (row < 0) {
        row = 0;
        for (let r = 1; r < rows; r += 1)
          if (last[r].left < last[row].left) row = r;
        shorten(last[row], left - gap - last[row].left);
      }
      // 3 px for the padding and for rounding.
      last[row] = {n, st, row, left, width: ctx.measureText(st.name).width + 3, whole: true};
      placed.push(last[row]);
    }
    for (const l of last)
      if (l) shorten(l, plotRight - l.left);
    return placed;
  }

  // As few rows of names as show every name whole when the whole line is
  // in view, within the most there is room for.
  function stationRowsNeeded() {
    const plotRight = profileView.w - PROFILE_RIGHT;
    for (let rows = 1; rows < MAX_STATION_ROWS; rows += 1) {
      if (placeStationLabels(rows, plotRight).every((l) => l.whole)) return rows;
    }
    return MAX_STATION_ROWS;
  }

  const stripLabels = document.getElementById('strip-labels');
  const stationLabels = stationsAlong.map((st) => {
    const label =
        el('span', {class: 'strip-label', title: `${st.name} \u00b7 ${kmText(st.position)}`});
    label.textContent = st.name;
    label.hidden = true;
    label.addEventListener('click', () => jumpTo(st.position));
    // The wheel zooms the profiles over a name as it does beside it.
    label.addEventListener('wheel', (e) => {
      e.preventDefault();
      profileCanvas.dispatchEvent(new WheelEvent('wheel', e));
    }, {passive: false});
    stripLabels.append(label);
    return label;
  });

  function showStationLabels(placed, top) {
    const shown = new Set();
    for (const l of placed) {
      const label = stationLabels[l.n];
      label.style.left = `${l.left}px`;
      label.style.top = `${top + l.row * STATION_ROW}px`;
      label.style.width = `${l.width}px`;
      label.hidden = l.width < 1;
      shown.add(label);
    }
    for (const label of stationLabels)
      if (!shown.has(label)) label.hidden = true;
  }

  // Tunnels and the marks of the segments along the top; the station names
  // are placed beforehand.
  function drawStrip(ctx, top, bottom) {
    const [first, last] = visibleCells();

    const names = stationRows * STATION_ROW;
    const band = [top + names + 5, top + names + 13];
    for (const t of data.tunnels) {
      if (t.last_cell < first || t.first_cell > last) continue;
      const x0 = profileX(cellEdge(t.first_cell));
      const x1 = profileX(cellEdge(t.last_cell + 1));
      ctx.fillStyle = COLOURS.tunnel;
      ctx.globalAlpha = 0.85;
      ctx.fillRect(x0, band[0], Math.max(x1 - x0, 2), band[1] - band[0]);
      ctx.globalAlpha = 1;
    }
    const cellPx = profileX(CELL) - profileX(0);
    const dense = cellPx < 0.25;  // a thinner band when marks merge
    const drawn = new Set();
    const from = Math.max(0, lastAtOrBelow(pointCells, first));
    for (let n = from; n < pointCells.length && pointCells[n] <= last; n += 1) {
      const c = pointClass[n];
      if (cellPx < c.from) continue;
      const height = dense ? 8 : c.tall ? 14 : 7;
      const x = profileX(pointMetre(n));
      ctx.fillStyle = c.colour;
      ctx.fillRect(Math.round(x) - 1, bottom - 2 - height, cellPx >= 8 ? 3 : 2, height);
      drawn.add(c);
    }
    markLegendDrawn(drawn, cellPx);
  }

  function drawStripLabels(ctx, top, bottom) {
    ctx.font = '10px "DejaVu Sans", Arial, sans-serif';
    ctx.fillStyle = '#8a929c';
    ctx.textAlign = 'right';
    ctx.textBaseline = 'middle';
    ctx.fillText('stations', PROFILE_LEFT - 6, top + 7);
    ctx.fillText('tunnels', PROFILE_LEFT - 6, top + stationRows * STATION_ROW + 9);
    ctx.fillText('marks', PROFILE_LEFT - 6, bottom - 9);
  }

  function drawAxis(ctx, y, plotRight) {
    const span = profileView.m1 - profileView.m0;
    const step = tickStep(span, Math.max(2, Math.floor((plotRight - PROFILE_LEFT) / 90)));
    ctx.font = '11px "DejaVu Sans", Arial, sans-serif';
    ctx.textAlign = 'center';
    ctx.textBaseline = 'top';
    ctx.fillStyle = '#3d4550';
    ctx.strokeStyle = '#7b8490';
    for (let m = Math.ceil(profileView.m0 / step) * step; m <= profileView.m1; m += step) {
      const x = profileX(m);
      if (x < PROFILE_LEFT - 1 || x > plotRight + 1) continue;
      ctx.beginPath();
      ctx.moveTo(x, y);
      ctx.lineTo(x, y + 5);
      ctx.stroke();
      const label = step >= 1000 ? String(m / 1000) : kmText(m).slice(3);
      ctx.fillText(label, x, y + 7);
    }
    ctx.textAlign = 'left';
    ctx.fillText('km', 4, y + 7);
    // Segment edges and numbers once they can be told apart.
    const cellPx = profileX(CELL) - profileX(0);
    if (cellPx < 6) return;
    const [first, last] = visibleCells();
    ctx.strokeStyle = '#b8bec7';
    for (let i = first; i <= last + 1; i += 1) {
      const x = profileX(cellEdge(i));
      if (x < PROFILE_LEFT || x > plotRight) continue;
      ctx.beginPath();
      ctx.moveTo(x, y - 4);
      ctx.lineTo(x, y);
      ctx.stroke();
    }
    if (cellPx < 28) return;
    ctx.textAlign = 'center';
    ctx.fillStyle = '#8a929c';
    ctx.font = '10px "DejaVu Sans", Arial, sans-serif';
    ctx.textBaseline = 'bottom';
    for (let i = first; i <= last; i += 1) {
      const x = profileX(i * CELL);
      if (x > PROFILE_LEFT + 8 && x < plotRight - 8) ctx.fillText(String(i), x, y - 5);
    }
  }

  function drawPositionLine(ctx, m, top, bottom, colour, width) {
    const x = profileX(m);
    if (x < PROFILE_LEFT || x > profileView.w - PROFILE_RIGHT) return;
    ctx.strokeStyle = colour;
    ctx.lineWidth = width;
    ctx.beginPath();
    ctx.moveTo(Math.round(x) + 0.5, top);
    ctx.lineTo(Math.round(x) + 0.5, bottom);
    ctx.stroke();
  }

  function withPlotClip(ctx, plotRight, draw) {
    ctx.save();
    ctx.beginPath();
    ctx.rect(PROFILE_LEFT, 0, plotRight - PROFILE_LEFT, profileView.h);
    ctx.clip();
    draw();
    ctx.restore();
  }

  function drawProfileHeader(ctx) {
    ctx.font = '600 12px "DejaVu Sans", Arial, sans-serif';
    ctx.fillStyle = '#1b1f24';
    ctx.textAlign = 'left';
    ctx.textBaseline = 'middle';
    ctx.fillText('Along the line', 10, 15);
    ctx.font = '12px "DejaVu Sans", Arial, sans-serif';
    ctx.fillStyle = '#5b6470';
    ctx.fillText(
        `${kmText(Math.max(0, Math.round(profileView.m0)))} \u2013 ` +
            `${kmText(Math.round(profileView.m1))}`,
        118, 15);
  }

  // The selected segment as a band, once it is wide enough to see.
  function drawSelectedSegment(ctx, top, bottom) {
    if (state.selection === null) return;
    const [lo, hi] = coverOf(segmentOf(state.selection));
    const x0 = profileX(lo - 0.5);
    const x1 = profileX(hi + 0.5);
    if (x1 - x0 < 4) return;
    ctx.fillStyle = 'rgba(232,89,12,0.12)';
    ctx.fillRect(x0, top, x1 - x0, bottom - top);
  }

  // Behind the values: the run-out beyond the line's end, and the slowdowns.
  function drawBackdrops(ctx, top, bottom, plotRight) {
    const endX = profileX(lineEnd);
    if (endX < plotRight) {
      ctx.fillStyle = 'rgba(120,130,145,0.10)';
      ctx.fillRect(endX, top, plotRight - endX, bottom - top);
    }
    for (const s of data.slowdowns) {
      const x0 = profileX(s.from);
      const x1 = profileX(s.to);
      ctx.fillStyle = 'rgba(214,39,40,0.13)';
      ctx.fillRect(x0, top, Math.max(x1 - x0, 2), bottom - top);
    }
  }

  function drawProfiles() {
    const {ctx, w, h} = setUpCanvas(profileCanvas);
    profileView.w = w;
    profileView.h = h;
    ctx.clearRect(0, 0, w, h);
    const rows = profileRows(h);
    const plotRight = w - PROFILE_RIGHT;
    const top = rows.strip[0];
    const bottom = rows.axis;
    drawProfileHeader(ctx);
    rows.panels.forEach(([t, b], n) => drawPanelFrame(ctx, PROFILES[n], t, b, plotRight));
    drawStripLabels(ctx, rows.strip[0], rows.strip[1]);
    const labels = placeStationLabels(stationRows, plotRight);
    showStationLabels(labels, top);
    withPlotClip(ctx, plotRight, () => {
      drawBackdrops(ctx, top, bottom, plotRight);
      drawSelectedSegment(ctx, top, bottom);
      rows.panels.forEach(([t, b], n) => drawPanelData(ctx, PROFILES[n], t, b));
      ctx.setLineDash([3, 3]);
      // Each station's line reaches up to its name.
      for (const l of labels) {
        drawPositionLine(ctx, l.st.position, top + l.row * STATION_ROW, bottom, '#8a929c', 1);
      }
      ctx.setLineDash([]);
      drawStrip(ctx, rows.strip[0], rows.strip[1]);
      if (state.hover !== null) drawPositionLine(ctx, state.hover, top, bottom, COLOURS.hover, 1);
      if (state.selection !== null) {
        drawPositionLine(ctx, state.selection, top, bottom, COLOURS.select, 2);
      }
    });
    ctx.strokeStyle = '#c5cbd3';
    ctx.lineWidth = 1;
    ctx.strokeRect(PROFILE_LEFT + 0.5, top + 0.5, plotRight - PROFILE_LEFT - 1, bottom - top - 1);
    drawAxis(ctx, bottom, plotRight);
    if (state.hover !== null) drawProfileHoverLabel(ctx, state.hover, top, plotRight);
  }

  function drawProfileHoverLabel(ctx, m, top, plotRight) {
    const x = profileX(m);
    if (x < PROFILE_LEFT || x > plotRight) return;
    const text = `${kmText(m)} \u00b7 segment ${segmentOf(m)}`;
    ctx.font = '11px "DejaVu Sans", Arial, sans-serif';
    const w = ctx.measureText(text).width + 10;
    const left = Math.min(Math.max(x - w / 2, PROFILE_LEFT), plotRight - w);
    ctx.fillStyle = 'rgba(27,31,36,0.85)';
    ctx.fillRect(left, top - 18, w, 16);
    ctx.fillStyle = '#fff';
    ctx.textAlign = 'left';
    ctx.textBaseline = 'middle';
    ctx.fillText(text, left + 5, top - 10);
  }

  // ---------------------------------------------------------------------
  // The inspector

  const inspector = document.getElementById('inspector');

  function el(tag, props = {}, ...children) {
    const node = document.createElement(tag);
    for (const [k, v] of Object.entries(props)) {
      if (k === 'class')
        node.className = v;
      else if (k === 'on')
        Object.entries(v).forEach(([e, f]) => node.addEventListener(e, f));
      else
        node.setAttribute(k, v);
    }
    for (const c of children) {
      if (c === null || c === undefined || c === false) continue;
      node.append(c instanceof Node ? c : String(c));
    }
    return node;
  }

  function stationBySlot(slot) {
    return stations.find((s) => s.slot === slot) ?? null;
  }

  // What an approach mark says, checked against the cells it points at.
  function approachMeaning(i, mark) {
    if (mark === 0) return '';
    const n = mark % 10;
    const found = [];
    if (n >= 1 && n <= 4) {
      const signal = cell(i + 2 * n);
      if (signal && signal.kind === KIND.signal) {
        found.push(
            `approach to the signal at ${metresText(signal.position)} ` +
            `(segment ${i + 2 * n}), ${2 * n} cells on ` +
            `(sx\u00d73+dx = ${Math.floor(mark / 10)})`);
      }
      const stop = cell(i + n);
      if (mark - 80 === n && stop && stop.kind === KIND.stopMark) {
        const st = stationBySlot(stop.value1);
        found.push(`cell ${n} before the stop mark of ${st ? st.name : `slot ${stop.value1}`}`);
      }
    }
    if (found.length > 0) return found.join('; ');
    if (n < 1 || n > 4) return 'not a mark the compiler writes';
    const ahead = 2 * n;
    return `(sx\u00d73+dx)\u00d710+n, n = ${n}: no signal ${ahead} cells on, no stop mark ${n} on`;
  }

  function slowdownOf(i) {
    return data.slowdowns.find((s) => s.start_cell <= i && i <= s.end_cell) ?? null;
  }

  function tunnelOf(i) {
    return data.tunnels.find((t) => t.first_cell <= i && i <= t.last_cell) ?? null;
  }

  // The words beside a field's value.
  function fieldMeaning(c, name) {
    const v = c[name];
    const valueNames = data.value_names[String(c.kind)] ?? ['', '', '', ''];
    switch (name) {
      case 'kind':
        return kindName(v);
      case 'value1':
      case 'value2':
      case 'value3':
      case 'value4': {
        const meaning = valueNames[Number(name.slice(5)) - 1];
        if (name === 'value1' && c.kind === KIND.stopMark) {
          return `${meaning}: ${data.slot_texts[String(v)] ?? '?'}`;
        }
        if (name === 'value1' && c.kind === KIND.signBoard) {
          return `${meaning}: \u201c${data.slot_texts[String(v)] ?? ''}\u201d`;
        }
        if (name === 'value1' && c.index === 1) return 'scenario stamp (5121)';
        if (name === 'value2' && c.index === 1) return 'check code';
        return meaning;
      }
      case 'approach_mark':
        return approachMeaning(c.index, v);
      case 'tunnel_type': {
        if (v === 0) return 'open line';
        const t = tunnelOf(c.index);
        return t ? `tunnel, segments ${t.first_cell}\u2013${t.last_cell}, ${
                       spanText(t.first_cell, t.last_cell)}` :
                   'tunnel';
      }
      case 'speed_limit':
        return `${v * 5} km/h`;
      case 'gradient':
        return `${v - 100 > 0 ? '+' : ''}${v - 100}`;
      default:
        return '';
    }
  }

  function fieldTable(c) {
    const rows = data.fields.map((name) => {
      const meaning = fieldMeaning(c, name);
      const cls =
          [c[name] === 0 && name !== 'kind' ? 'zero' : '', name === 'kind' ? 'kind-row' : '']
              .filter(Boolean)
              .join(' ');
      return el(
          'tr', cls ? {class: cls, 'data-field': name} : {'data-field': name},
          el('th', {scope: 'row'}, name), el('td', {class: 'value'}, c[name]),
          el('td', {class: 'meaning'}, meaning));
    });
    return el('table', {class: 'fields'}, el('tbody', {}, ...rows));
  }

  function nearestIn(sortedPositions, m) {
    if (sortedPositions.length === 0) return -1;
    const at = lastAtOrBelow(sortedPositions, m);
    if (at < 0) return 0;
    if (at + 1 < sortedPositions.length && sortedPositions[at + 1] - m < m - sortedPositions[at])
      return at + 1;
    return at;
  }

  function nearestStation(m) {
    let best = null;
    for (const st of stations) {
      if (!best || Math.abs(st.position - m) < Math.abs(best.position - m)) best = st;
    }
    return best;
  }

  function jumpLink(text, metre) {
    return el(
        'a', {
          href: `#m=${metre}`,
          on: {
            click: (e) => {
              e.preventDefault();
              jumpTo(metre);
            }
          }
        },
        text);
  }

  function nearbyList(m) {
    const items = [];
    const st = nearestStation(m);
    if (st) {
      items.push(
          el('li', {}, 'Nearest station: ', jumpLink(st.name, st.position),
             ` (${kmText(st.position)}, ${distanceText(m, st.position)})`));
    }
    const s = nearestIn(signalCells, segmentOf(m));
    if (s >= 0) {
      // Shown where its entry puts it; the link selects its segment.
      const at = cell(signalCells[s]).position;
      items.push(
          el('li', {}, 'Nearest signal: ',
             jumpLink(`at ${metresText(at)}`, signalCells[s] * CELL),
             ` (segment ${signalCells[s]}, ${kmText(at)}, ${distanceText(m, at)})`));
    }
    return items.length ? el('ul', {class: 'near'}, ...items) : null;
  }

  // The position the author writes to put this object here, as dump and the
  // plot state it.
  function placedNote(c) {
    if (c.position === null) return null;
    const offset = data.placement_offsets[String(c.kind)];
    const rule = offset === 0 ? `position / ${CELL}` :
                               `position / ${CELL} ${offset > 0 ? '+' : '\u2212'} ${Math.abs(offset)}`;
    return el(
        'p', {class: 'where'},
        `${kindName(c.kind)} at ${metresText(c.position)} (${kmText(c.position)}): an entry ` +
            `written there takes the segment of ${rule}.`);
  }

  function slowdownNote(c) {
    const s = slowdownOf(c.index);
    if (!s || c.kind === 0) return null;
    return el(
        'p', {class: 'where'},
        `Slowdown at ${s.speed} km/h from ${grouped(s.from)} to ${metresText(s.to)} ` +
            `(segments ${s.start_cell}\u2013${s.end_cell}).`);
  }

  // The general parameters of the table (slots 81 to 86), as `dump` names them.
  function generalTable() {
    const rows = [];
    for (const slot of data.general) {
      const unused = slot.role.startsWith('progressiva') && slot.fields.every((f) => f[2] === 0);
      if (unused) continue;
      rows.push(
          el('tr', {class: 'slot-row'}, el('th', {colspan: 3}, `slot ${slot.slot}: ${slot.role}`)));
      for (const [name, meaning, value] of slot.fields) {
        rows.push(
            el('tr', {'data-field': name}, el('th', {scope: 'row'}, meaning),
               el('td', {class: 'value'}, value), el('td', {class: 'meaning'}, name)));
      }
    }
    return el('table', {class: 'fields general'}, el('tbody', {}, ...rows));
  }

  function renderInspector() {
    inspector.replaceChildren();
    const m = state.selection;
    if (m === null) {
      inspector.append(
          el('h2', {}, 'Scenario'),
          el('p', {class: 'hint'},
             'Click the map or the profiles, use \u2190 \u2192, pick a station ' +
                 'or type a km to see what the scenario holds there.'),
          generalTable());
      return;
    }
    const i = segmentOf(m);
    const c = cell(i);
    const nav =
        el('span', {class: 'nav'},
           el('button', {
             type: 'button',
             title: 'Previous segment (\u2190)',
             'aria-label': 'Previous segment',
             on: {click: () => step(-1)}
           },
              '\u2039'),
           ' ',
           el('button', {
             type: 'button',
             title: 'Next segment (\u2192)',
             'aria-label': 'Next segment',
             on: {click: () => step(1)}
           },
              '\u203a'));
    inspector.append(
        el('div', {class: 'head'}, el('h2', {id: 'inspector-title'}, `Segment ${i}`), nav));
    inspector.append(
        el('p', {class: 'where'},
           `${kmText(m)} (${metresText(m)}) \u00b7 segment ${i}, ${spanText(i)}`));
    if (plan) {
      const inPlan = m <= plan.last;
      inspector.append(
          el('p', {class: 'plan'}, `route plan at metre ${m}: `,
             inPlan ? `x ${coordinateText(m, 0)}  y ${coordinateText(m, 1)}` : 'beyond the plan'));
    }
    if (!c) {
      inspector.append(
          el('p', {class: 'hint'},
             `Beyond the segment array (segments 0\u2013${data.cell_count - 1}).`));
    } else {
      inspector.append(fieldTable(c));
      const note = placedNote(c);
      if (note) inspector.append(note);
      const slow = slowdownNote(c);
      if (slow) inspector.append(slow);
    }
    const near = nearbyList(m);
    if (near) inspector.append(near);
  }

  // ---------------------------------------------------------------------
  // Station list and km box

  const stationList = document.getElementById('station-list');
  const stationButtons = stations.map((st) => {
    const b =
        el('button', {type: 'button', 'data-slot': st.slot, title: `Go to ${st.name}`},
           el('span', {class: 'name'}, st.name), el('span', {class: 'km'}, kmText(st.position)),
           el('span', {class: 'time'}, st.time_s ? clockText(st.time_s) : ''));
    b.addEventListener('click', () => jumpTo(st.position));
    stationList.append(el('li', {}, b));
    return b;
  });
  document.getElementById('station-count').textContent = `(${stations.length})`;

  function markCurrentStation() {
    const near = state.selection === null ? null : nearestStation(state.selection);
    stations.forEach((st, n) => {
      stationButtons[n].classList.toggle('current', near === st);
    });
  }

  // "12.5", "12,5", "12+500", "km 12+500" and "12" all mean metre 12 500.
  function parseKm(text) {
    const t = text.trim().toLowerCase().replace(/^km\s*/, '');
    let match = /^(\d+)\s*\+\s*(\d{1,3})$/.exec(t);
    if (match) return Number(match[1]) * 1000 + Number(match[2]);
    match = /^(\d+)(?:[.,](\d*))?$/.exec(t);
    if (match) return Math.round(Number(`${match[1]}.${match[2] || '0'}`) * 1000);
    return null;
  }

  const gotoForm = document.getElementById('goto');
  const gotoInput = document.getElementById('goto-km');
  const gotoError = document.getElementById('goto-error');
  gotoForm.addEventListener('submit', (e) => {
    e.preventDefault();
    const m = parseKm(gotoInput.value);
    if (m === null || m > lastMetre) {
      gotoInput.setAttribute('aria-invalid', 'true');
      gotoError.textContent =
          m === null ? 'Type a km such as 12.5 or 12+500' : `The line ends at ${kmText(lastMetre)}`;
      return;
    }
    gotoInput.removeAttribute('aria-invalid');
    gotoError.textContent = '';
    jumpTo(m);
  });
  gotoInput.addEventListener('input', () => {
    gotoInput.removeAttribute('aria-invalid');
    gotoError.textContent = '';
  });

  // ---------------------------------------------------------------------
  // Selection, hover and the address

  let frame = 0;
  function render() {
    if (frame) return;
    frame = requestAnimationFrame(() => {
      frame = 0;
      drawNow();
    });
  }

  function drawNow() {
    drawMap();
    drawProfiles();
  }

  function clampMetre(m) {
    return Math.max(0, Math.min(lastMetre, Math.round(m)));
  }

  function select(m) {
    state.selection = clampMetre(m);
    const wanted = `#m=${state.selection}`;
    if (location.hash !== wanted) history.replaceState(null, '', wanted);
    renderInspector();
    markCurrentStation();
    render();
  }

  function clearSelection() {
    state.selection = null;
    history.replaceState(null, '', location.pathname + location.search);
    renderInspector();
    markCurrentStation();
    render();
  }

  function setHover(m) {
    const next = m === null ? null : clampMetre(m);
    if (next === state.hover) return;
    state.hover = next;
    document.getElementById('hover-readout').textContent = next === null ?
        '\u00a0' :
        `${kmText(next)} \u00b7 ${metresText(next)} \u00b7 segment ${segmentOf(next)}`;
    render();
  }

  // Brings metre m into both views, zooming in where the view is too wide
  // to show its neighbourhood.
  function reveal(m, zoomIn) {
    if (plan) {
      const p = planPoint(m);
      if (p) {
        const wanted = Math.min(MAP_MAX_SCALE, mapView.w / 4000);
        if (zoomIn && mapView.scale < wanted) mapView.scale = wanted;
        const [sx, sy] = toScreen(p[0], p[1]);
        const margin = 40;
        if (zoomIn || sx < margin || sy < margin || sx > mapView.w - margin ||
            sy > mapView.h - margin) {
          mapView.cx = p[0];
          mapView.cy = p[1];
        }
      }
    }
    let span = profileView.m1 - profileView.m0;
    if (zoomIn && span > 20000) span = 10000;
    const x = profileX(m);
    if (zoomIn || x < PROFILE_LEFT || x > profileView.w - PROFILE_RIGHT ||
        span !== profileView.m1 - profileView.m0) {
      profileSetRange(m - span / 2, m + span / 2);
    }
  }

  function jumpTo(m) {
    reveal(clampMetre(m), true);
    select(m);
  }

  function step(cells) {
    const i = state.selection === null ? 0 : segmentOf(state.selection) + cells;
    const m = clampMetre(Math.max(0, i) * CELL);
    reveal(m, false);
    select(m);
  }

  function stepStation(direction) {
    if (stations.length === 0) return;
    const m = state.selection ?? -1;
    const sorted = [...stationPositions].sort((a, b) => a - b);
    const next =
        direction > 0 ? sorted.find((p) => p > m) : [...sorted].reverse().find((p) => p < m);
    if (next !== undefined) jumpTo(next);
  }

  function fromHash() {
    const match = /^#m=(-?\d+)$/.exec(location.hash);
    if (!match) return false;
    jumpTo(Number(match[1]));
    return true;
  }

  window.addEventListener('hashchange', fromHash);

  // ---------------------------------------------------------------------
  // Pointer, wheel and keyboard

  // Drag pans, a click without a drag selects, the wheel zooms.
  function attachPointer(canvas, handlers) {
    let drag = null;
    canvas.addEventListener('pointerdown', (e) => {
      if (e.button !== 0) return;
      canvas.setPointerCapture(e.pointerId);
      drag = {x: e.offsetX, y: e.offsetY, lastX: e.offsetX, lastY: e.offsetY, moved: false};
    });
    canvas.addEventListener('pointermove', (e) => {
      if (drag) {
        const dx = e.offsetX - drag.lastX;
        const dy = e.offsetY - drag.lastY;
        if (Math.abs(e.offsetX - drag.x) + Math.abs(e.offsetY - drag.y) > 3) drag.moved = true;
        if (drag.moved) {
          canvas.classList.add('dragging');
          handlers.pan(dx, dy);
        }
        drag.lastX = e.offsetX;
        drag.lastY = e.offsetY;
      }
      handlers.hover(e.offsetX, e.offsetY);
    });
    canvas.addEventListener('pointerup', (e) => {
      if (drag && !drag.moved) handlers.click(e.offsetX, e.offsetY);
      drag = null;
      canvas.classList.remove('dragging');
    });
    canvas.addEventListener('pointercancel', () => {
      drag = null;
      canvas.classList.remove('dragging');
    });
    canvas.addEventListener('pointerleave', () => {
      if (!drag) setHover(null);
    });
    canvas.addEventListener('wheel', (e) => {
      e.preventDefault();
      const lines = e.deltaMode === 1 ? 30 : e.deltaMode === 2 ? 300 : 1;
      handlers.zoom(1.2 ** (-(e.deltaY * lines) / 100), e.offsetX, e.offsetY);
    }, {passive: false});
  }

  attachPointer(mapCanvas, {
    pan(dx, dy) {
      mapView.cx -= dx / mapView.scale;
      mapView.cy += dy / mapView.scale;
      render();
    },
    hover(x, y) {
      setHover(metreNear(x, y, 14));
    },
    click(x, y) {
      const m = metreNear(x, y, 14);
      if (m !== null) select(clickedMetre(m, 6 / mapView.scale));
    },
    zoom(f, x, y) {
      if (plan) mapZoom(f, x, y);
    },
  });

  attachPointer(profileCanvas, {
    pan(dx) {
      const perPx =
          (profileView.m1 - profileView.m0) / (profileView.w - PROFILE_LEFT - PROFILE_RIGHT);
      profileSetRange(profileView.m0 - dx * perPx, profileView.m1 - dx * perPx);
      render();
    },
    hover(x) {
      const inside = x >= PROFILE_LEFT && x <= profileView.w - PROFILE_RIGHT;
      setHover(inside ? profileMetre(x) : null);
    },
    click(x) {
      if (x >= PROFILE_LEFT && x <= profileView.w - PROFILE_RIGHT) {
        const perPx =
            (profileView.m1 - profileView.m0) / (profileView.w - PROFILE_LEFT - PROFILE_RIGHT);
        select(clickedMetre(profileMetre(x), 4 * perPx));
      }
    },
    zoom(f, x) {
      profileZoom(f, Math.max(PROFILE_LEFT, x));
    },
  });

  function onButton(id, action) {
    document.getElementById(id).addEventListener('click', action);
  }
  onButton('map-zoom-in', () => mapZoom(1.6));
  onButton('map-zoom-out', () => mapZoom(1 / 1.6));
  onButton('map-fit', () => {
    mapFit();
    render();
  });
  onButton('profile-zoom-in', () => profileZoom(1.6));
  onButton('profile-zoom-out', () => profileZoom(1 / 1.6));
  onButton('profile-fit', () => {
    profileFit();
    render();
  });

  document.addEventListener('keydown', (e) => {
    const target = e.target;
    if (target instanceof HTMLInputElement || e.ctrlKey || e.metaKey || e.altKey) return;
    const onProfiles = document.activeElement === profileCanvas;
    const keys = {
      ArrowRight: () => step(e.shiftKey ? 1000 / CELL : 1),
      ArrowLeft: () => step(e.shiftKey ? -1000 / CELL : -1),
      PageDown: () => stepStation(1),
      PageUp: () => stepStation(-1),
      Home: () => jumpTo(0),
      Escape: () => clearSelection(),
      End: () => jumpTo(lineEnd),
      '+': () => (onProfiles ? profileZoom(1.6) : mapZoom(1.6)),
      '=': () => (onProfiles ? profileZoom(1.6) : mapZoom(1.6)),
      '-': () => (onProfiles ? profileZoom(1 / 1.6) : mapZoom(1 / 1.6)),
      f: () => {
        mapFit();
        profileFit();
        render();
      },
      Enter: () => {
        if (state.hover !== null && (target === mapCanvas || target === profileCanvas)) {
          select(state.hover);
        }
      },
    };
    const action = keys[e.key];
    if (!action || (e.key === 'Enter' && target instanceof HTMLButtonElement)) return;
    e.preventDefault();
    action();
  });

  new ResizeObserver(() => {
    const before = [mapView.w, mapView.h];
    const fitted = Math.abs(mapView.scale - mapView.fitScale) < 1e-12;
    drawNow();
    if (fitted && (before[0] !== mapView.w || before[1] !== mapView.h)) {
      mapFit();
      drawNow();
    }
  }).observe(mapCanvas);

  // ---------------------------------------------------------------------
  // Start

  document.title = `${data.line_id} \u00b7 train ${data.train_code} \u2014 scenario view`;
  document.getElementById('title').textContent = `${data.line_id} \u00b7 train ${data.train_code}`;
  document.getElementById('summary').textContent = data.summary;
  if (data.failure) {
    const f = data.failure;
    const at = f.position === null ? '' : ` at ${f.position} m`;
    document.getElementById('failure-text').textContent =
        `Compiled with failure ${f.code}${at}${f.message ? `: ${f.message}` : ''}`;
    document.getElementById('failure-note').textContent =
        'Reading stopped there: the compiled files hold only what was read before it ' +
        `(scenario-tool explain ${f.code}).`;
    document.getElementById('failure').hidden = false;
  }
  const mapEmpty = document.getElementById('map-empty');
  mapEmpty.hidden = planDrawable;
  if (plan && !planDrawable)
    mapEmpty.textContent = 'The route plan holds no point that can be drawn.';
  for (const part of document.querySelectorAll('.map-panel .legend, .map-panel .tools')) {
    part.hidden = !planDrawable;
  }

  mapView.w = mapCanvas.clientWidth;
  mapView.h = mapCanvas.clientHeight;
  profileView.w = profileCanvas.clientWidth;
  mapFit();
  profileFit();
  stationRows = stationRowsNeeded();
  if (!fromHash()) renderInspector();
  drawNow();

  // For the console and for tests: the decoded scenario and the views.
  window.scenarioView = {
    data,
    cell,
    segmentOf,
    coverOf,
    coordinateText,
    select: jumpTo,
    selection: () => state.selection,
    mapState: () => ({cx: mapView.cx, cy: mapView.cy, scale: mapView.scale}),
    profileState: () => ({m0: profileView.m0, m1: profileView.m1}),
    profileClientX(m) {
      return profileCanvas.getBoundingClientRect().left + profileX(m);
    },
    profileClientY() {
      const r = profileCanvas.getBoundingClientRect();
      const rows = profileRows(profileView.h);
      return r.top + (rows.panels[1][0] + rows.panels[1][1]) / 2;
    },
    mapClientPoint(m) {
      const p = screenPointOfMetre(m, 0);
      if (!p) return null;
      const r = mapCanvas.getBoundingClientRect();
      return [r.left + p[0], r.top + p[1]];
    },
    readyAt: performance.now(),
  };
  document.documentElement.dataset.ready = 'true';
}
