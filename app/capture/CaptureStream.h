#pragma once

#include "capture/CaptureError.h"
#include "capture/StreamOutput.h"

class CaptureStream;

// Told when a running stream ends on its own (the display server went away, the display was
// removed). Called on the stream's capture thread.
class CaptureStreamDelegate {
public:
    virtual ~CaptureStreamDelegate() = default;
    virtual void streamDidStopWithError(CaptureStream& stream, const CaptureError& error) = 0;
};

// One live capture. Every operation may block on the display server and throws CaptureError;
// none may be called on the GUI thread. Destroying a stream stops it.
class CaptureStream {
public:
    virtual ~CaptureStream() = default;
    // The output must outlive the stream.
    virtual void addStreamOutput(StreamOutput* output, StreamOutputType type) = 0;
    virtual void startCapture() = 0;
    // Stops delivering; no output is called once this returns. Throws when the stream had
    // already died with its display server.
    virtual void stopCapture() = 0;
};
