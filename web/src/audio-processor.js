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
    this.blocks = 0;
    this.port.onmessage = ({ data }) => {
      if (data.flush) {
        // A seek: what is queued is of the old place.
        this.queue = [];
        this.offset = this.queued = 0;
        this.asked = false;
        return;
      }
      this.queue.push(data);
      this.queued += data.left.length;
    };
    this.port.postMessage({ need: AHEAD });
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
    if (this.queued < AHEAD && !this.asked) { this.asked = true; this.port.postMessage({ need: AHEAD - this.queued }); }
    else if (this.queued >= AHEAD) this.asked = false;
    return true;
  }
}

registerProcessor('velmora-sound', VelmoraSound);
