#pragma once

namespace corvane {

// Silences the error and info printers of the sound libraries under
// PortAudio (ALSA, JACK). Their device scan probes every configured PCM and a
// JACK server that is usually not there, printing some forty lines of noise to
// the terminal at every start; PortAudio's own results and our messages say
// what matters. Call before Pa_Initialize; the first call does the work.
void QuietAudioLibraries();

} // namespace corvane
