// The audio thread's side of the show's sound: plays the blocks the page
// sends, in order, and tells the page which module frame is being played and
// when it wants more. Silence (never a stall) when the page is late.
const AHEAD = 8192;  // frames kept queued, about 0.19 s

class VelmoraSound extends AudioWorkletProcessor {
  constructor() {
    super();
    this.queue = [];   // { left, right, first }
    this.offset = 0;   // frames of queue[0] already played
    this.queued = 0;
    this.pending = 0;  // frames asked for that have not come yet
    this.blocks = 0;
    this.port.onmessage = ({ data }) => {
      if (data.flush) {
        // A seek: what is queued is of the old place.
        this.queue = [];
        this.offset = this.queued = this.pending = 0;
        return;
      }
      this.queue.push(data);
      this.queued += data.left.length;
      this.pending = Math.max(0, this.pending - data.left.length);
    };
    this.ask();
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    const n = left.length;
    const playing = this.queue.length ? this.queue[0].first + this.offset : -1;
    for (let i = 0; i < n;) {
      const block = this.queue[0];
      if (!block) { left.fill(0, i); right?.fill(0, i); break; }
      const take = Math.min(n - i, block.left.length - this.offset);
      left.set(block.left.subarray(this.offset, this.offset + take), i);
      right?.set(block.right.subarray(this.offset, this.offset + take), i);
      i += take;
      this.offset += take;
      this.queued -= take;
      if (this.offset === block.left.length) { this.queue.shift(); this.offset = 0; }
    }
    if (++this.blocks % 8 === 0 && playing >= 0) this.port.postMessage({ time: currentTime, frame: playing });
    this.ask();
    return true;
  }

  // More sound when what is queued and asked for falls short: counted in
  // frames, as a queue that drains while the asked-for blocks come in
  // never fills up to AHEAD again.
  ask() {
    const need = AHEAD - this.queued - this.pending;
    if (need <= 0) return;
    this.pending += need;
    this.port.postMessage({ need });
  }
}

registerProcessor('velmora-sound', VelmoraSound);
