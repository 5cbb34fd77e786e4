// The show's sound through an AudioWorklet: the module is still rendered by
// the player on the page, a block ahead, but played on the audio thread, so
// typing, reloads and long frames do not cut it. The context must be made
// and resumed from the tap or key that starts the show (iOS demands it).
//
//   const context = new AudioContext({ sampleRate: 44100 });   // in the tap handler
//   context.resume();
//   const sound = await startWorkletSound(context, (frames) => [left, right], 'audio-processor.js');
//   sound.heard()   -> the module frame heard now
//   sound.flush()   after a seek: the queued sound is dropped
//   sound.stop()

const BLOCK = 2048;

export async function startWorkletSound(context, fill, processorUrl = 'audio-processor.js') {
  await context.audioWorklet.addModule(processorUrl);
  const node = new AudioWorkletNode(context, 'velmora-sound', { numberOfInputs: 0, outputChannelCount: [2] });
  let rendered = 0, mark = null;
  node.port.onmessage = ({ data }) => {
    if (data.need) {
      for (let sent = 0; sent < data.need; sent += BLOCK) {
        const [left, right] = fill(BLOCK);
        const block = { left: Float32Array.from(left), right: Float32Array.from(right), first: rendered };
        rendered += BLOCK;
        node.port.postMessage(block, [block.left.buffer, block.right.buffer]);
      }
    } else {
      mark = data;
    }
  };
  node.connect(context.destination);
  return {
    heard() {
      if (!mark) return 0;
      const late = context.currentTime - mark.time - (context.outputLatency || 0);
      return Math.max(0, mark.frame + Math.floor(late * context.sampleRate));
    },
    flush() { node.port.postMessage({ flush: true }); },
    stop() { node.disconnect(); node.port.onmessage = null; },
  };
}
