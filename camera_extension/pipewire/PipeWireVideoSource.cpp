#include "camera_extension/pipewire/PipeWireVideoSource.h"

#include "camera_extension/CameraIdentity.h"
#include "shared/FrameCopy.h"
#include "shared/FrameHandoff.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

namespace {

constexpr int kStride = FrameHandoff::kFrameWidth * FrameHandoff::kBytesPerPixel;
constexpr int kFrameBytes = kStride * FrameHandoff::kFrameHeight;

std::once_flag g_pipewireInit;

// The first reconnection try comes soon after PipeWire went away (a restart takes about 0.2 s);
// later tries back off so a session without PipeWire is not polled busily.
constexpr std::uint64_t kFirstRetryNs = 200'000'000;
constexpr std::uint64_t kLongestRetryNs = 5'000'000'000;

}  // namespace

struct PipeWireVideoSource::Private {
    Callbacks callbacks;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_registry* registry = nullptr;
    pw_stream* stream = nullptr;
    spa_hook coreListener{};
    spa_hook registryListener{};
    spa_hook streamListener{};
    pw_stream_state state = PW_STREAM_STATE_UNCONNECTED;
    std::vector<std::pair<std::string, std::string>> extraProperties;
    spa_source* retryTimer = nullptr;
    std::uint64_t retryDelayNs = kFirstRetryNs;
    bool connected = false;

    // Loop thread (or under the loop lock).
    std::shared_ptr<CameraBuffer> pending;
    std::uint64_t pendingPtsNs = 0;
    std::uint64_t sequence = 0;
    std::map<std::uint32_t, std::uint32_t> linkOutputNode;  // link id -> output node id
    std::set<std::uint32_t> ourLinks;

    void recountLinks();
    // Loop thread (or under the loop lock).
    DaemonOutcome connectCore();
    void disconnectCore();
    void connectionLost();
    void retry();
    void onProcess();
    void onParamChanged(std::uint32_t id, const spa_pod* param);
};

void PipeWireVideoSource::Private::recountLinks() {
    const std::uint32_t nodeId = stream ? pw_stream_get_node_id(stream) : SPA_ID_INVALID;
    if (nodeId == SPA_ID_INVALID) {
        return;
    }
    for (const auto& [linkId, outputNode] : linkOutputNode) {
        if (outputNode == nodeId && ourLinks.insert(linkId).second && callbacks.clientStarted) {
            callbacks.clientStarted();
        }
    }
}

void PipeWireVideoSource::Private::onParamChanged(std::uint32_t id, const spa_pod* param) {
    if (!param || id != SPA_PARAM_Format) {
        return;
    }
    std::uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* params[2];
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 2, 8), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
        SPA_PARAM_BUFFERS_size, SPA_POD_Int(kFrameBytes), SPA_PARAM_BUFFERS_stride,
        SPA_POD_Int(kStride), SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
    params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    pw_stream_update_params(stream, params, 2);
}

void PipeWireVideoSource::Private::onProcess() {
    // Two ticks may trigger before the loop runs: the first run sends the newer frame and the
    // second has none. Queuing a buffer anyway would send an empty one, which GStreamer consumers
    // turn into a frame of whatever the buffer held (black, or an old picture).
    if (!pending) {
        return;
    }
    pw_buffer* buffer = pw_stream_dequeue_buffer(stream);
    if (!buffer) {
        return;  // the consumer holds every buffer: this frame is skipped
    }
    spa_buffer* spaBuffer = buffer->buffer;
    spa_data& data = spaBuffer->datas[0];
    if (data.data && pending) {
        const int stride = data.chunk->stride > 0 ? data.chunk->stride : kStride;
        const int rows = std::min<int>(FrameHandoff::kFrameHeight, int(data.maxsize / stride));
        FrameCopy::copyRows(pending->data, pending->bytesPerRow, pending->height,
                            static_cast<std::uint8_t*>(data.data), stride, rows);
        data.chunk->offset = 0;
        data.chunk->stride = stride;
        data.chunk->size = std::uint32_t(stride) * std::uint32_t(rows);
        if (auto* header = static_cast<spa_meta_header*>(
                spa_buffer_find_meta_data(spaBuffer, SPA_META_Header, sizeof(spa_meta_header)))) {
            header->pts = std::int64_t(pendingPtsNs);
            header->flags = 0;
            header->seq = sequence++;
            header->dts_offset = 0;
        }
    } else if (data.chunk) {
        data.chunk->size = 0;
    }
    pending.reset();  // back to the daemon's pool
    pw_stream_queue_buffer(stream, buffer);
}

namespace {

void onStreamStateChanged(void* userData, pw_stream_state, pw_stream_state state, const char*) {
    auto* d = static_cast<PipeWireVideoSource::Private*>(userData);
    d->state = state;
    d->recountLinks();  // the node id is known once the stream is exported
}

void onStreamParamChanged(void* userData, std::uint32_t id, const spa_pod* param) {
    static_cast<PipeWireVideoSource::Private*>(userData)->onParamChanged(id, param);
}

void onStreamProcess(void* userData) {
    static_cast<PipeWireVideoSource::Private*>(userData)->onProcess();
}

const pw_stream_events kStreamEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = onStreamStateChanged;
    events.param_changed = onStreamParamChanged;
    events.process = onStreamProcess;
    return events;
}();

void onRegistryGlobal(void* userData, std::uint32_t id, std::uint32_t, const char* type,
                      std::uint32_t, const spa_dict* props) {
    auto* d = static_cast<PipeWireVideoSource::Private*>(userData);
    if (!type || std::strcmp(type, PW_TYPE_INTERFACE_Link) != 0 || !props) {
        return;
    }
    const char* output = spa_dict_lookup(props, PW_KEY_LINK_OUTPUT_NODE);
    if (!output) {
        return;
    }
    d->linkOutputNode[id] = std::uint32_t(std::strtoul(output, nullptr, 10));
    d->recountLinks();
}

void onRegistryGlobalRemove(void* userData, std::uint32_t id) {
    auto* d = static_cast<PipeWireVideoSource::Private*>(userData);
    d->linkOutputNode.erase(id);
    if (d->ourLinks.erase(id) == 1 && d->callbacks.clientStopped) {
        d->callbacks.clientStopped();
    }
}

void onCoreError(void* userData, std::uint32_t id, int, int result, const char*) {
    auto* d = static_cast<PipeWireVideoSource::Private*>(userData);
    // EPIPE on the core itself: the daemon went away. Anything else concerns one object.
    if (id == PW_ID_CORE && result == -EPIPE) {
        d->connectionLost();
    }
}

const pw_core_events kCoreEvents = [] {
    pw_core_events events{};
    events.version = PW_VERSION_CORE_EVENTS;
    events.error = onCoreError;
    return events;
}();

void onRetryTimer(void* userData, std::uint64_t) {
    static_cast<PipeWireVideoSource::Private*>(userData)->retry();
}

const pw_registry_events kRegistryEvents = [] {
    pw_registry_events events{};
    events.version = PW_VERSION_REGISTRY_EVENTS;
    events.global = onRegistryGlobal;
    events.global_remove = onRegistryGlobalRemove;
    return events;
}();

}  // namespace

PipeWireVideoSource::PipeWireVideoSource(Callbacks callbacks)
    : d(std::make_unique<Private>()) {
    d->callbacks = std::move(callbacks);
    std::call_once(g_pipewireInit, [] { pw_init(nullptr, nullptr); });
}

PipeWireVideoSource::~PipeWireVideoSource() {
    stop();
}

DaemonOutcome PipeWireVideoSource::start(
    const std::vector<std::pair<std::string, std::string>>& extraProperties) {
    d->loop = pw_thread_loop_new("velarion-camera", nullptr);
    if (!d->loop) {
        return DaemonOutcome::failure("cannot create the PipeWire loop");
    }
    d->context = pw_context_new(pw_thread_loop_get_loop(d->loop), nullptr, 0);
    if (!d->context || pw_thread_loop_start(d->loop) != 0) {
        return DaemonOutcome::failure("cannot start the PipeWire loop");
    }
    d->retryTimer = pw_loop_add_timer(pw_thread_loop_get_loop(d->loop), onRetryTimer, d.get());
    d->extraProperties = extraProperties;
    pw_thread_loop_lock(d->loop);
    DaemonOutcome connection = d->connectCore();
    pw_thread_loop_unlock(d->loop);
    return connection;
}

DaemonOutcome PipeWireVideoSource::Private::connectCore() {
    core = pw_context_connect(context, nullptr, 0);
    if (!core) {
        return DaemonOutcome::failure(std::string("PipeWire is not running for this session (") +
                                      std::strerror(errno) + ")");
    }
    pw_core_add_listener(core, &coreListener, &kCoreEvents, this);
    registry = pw_core_get_registry(core, PW_VERSION_REGISTRY, 0);
    pw_registry_add_listener(registry, &registryListener, &kRegistryEvents, this);

    pw_properties* props = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture", PW_KEY_MEDIA_CLASS,
        "Video/Source", PW_KEY_MEDIA_ROLE, "Camera", PW_KEY_NODE_NAME, CameraIdentity::kNodeName,
        PW_KEY_NODE_DESCRIPTION, CameraIdentity::kDeviceName, PW_KEY_DEVICE_VENDOR_NAME,
        CameraIdentity::kManufacturer, PW_KEY_DEVICE_PRODUCT_NAME, CameraIdentity::kDeviceModel,
        nullptr);
    for (const auto& [key, value] : extraProperties) {
        pw_properties_set(props, key.c_str(), value.c_str());
    }
    stream = pw_stream_new(core, CameraIdentity::kDeviceName, props);
    if (!stream) {
        const int streamError = errno;
        disconnectCore();
        return DaemonOutcome::failure(std::string("cannot create the PipeWire stream (") +
                                      std::strerror(streamError) + ")");
    }
    pw_stream_add_listener(stream, &streamListener, &kStreamEvents, this);

    std::uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    spa_rectangle size = SPA_RECTANGLE(FrameHandoff::kFrameWidth, FrameHandoff::kFrameHeight);
    spa_fraction rate = SPA_FRACTION(FrameHandoff::kFramesPerSecond, 1);
    const spa_pod* params[1];
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_Id(SPA_VIDEO_FORMAT_BGRA), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&rate)));
    const int result = pw_stream_connect(
        stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS), params,
        1);
    if (result < 0) {
        disconnectCore();
        return DaemonOutcome::failure(std::string("cannot connect the PipeWire stream (") +
                                      std::strerror(-result) + ")");
    }
    connected = true;
    return DaemonOutcome::success();
}

void PipeWireVideoSource::Private::disconnectCore() {
    if (stream) {
        spa_hook_remove(&streamListener);
        pw_stream_destroy(stream);
        stream = nullptr;
    }
    if (registry) {
        spa_hook_remove(&registryListener);
        pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry));
        registry = nullptr;
    }
    if (core) {
        spa_hook_remove(&coreListener);
        pw_core_disconnect(core);
        core = nullptr;
    }
    state = PW_STREAM_STATE_UNCONNECTED;
    pending.reset();
    linkOutputNode.clear();
    // The links went with the daemon: every consumer counted is gone.
    for (std::size_t i = ourLinks.size(); i > 0; --i) {
        if (callbacks.clientStopped) {
            callbacks.clientStopped();
        }
    }
    ourLinks.clear();
}

void PipeWireVideoSource::Private::connectionLost() {
    if (!connected) {
        return;
    }
    connected = false;
    if (callbacks.connectionChanged) {
        callbacks.connectionChanged(false);
    }
    // Not torn down here: this runs inside the core's own event. The timer does it.
    retryDelayNs = kFirstRetryNs;
    timespec value{0, 1};
    pw_loop_update_timer(pw_thread_loop_get_loop(loop), retryTimer, &value, nullptr, false);
}

void PipeWireVideoSource::Private::retry() {
    disconnectCore();
    // Why it failed is not reported: the next try follows by itself, and the daemon logged the
    // loss when it happened.
    if (connectCore().succeeded()) {
        retryDelayNs = kFirstRetryNs;
        if (callbacks.connectionChanged) {
            callbacks.connectionChanged(true);
        }
        return;
    }
    timespec value{time_t(retryDelayNs / 1'000'000'000), long(retryDelayNs % 1'000'000'000)};
    pw_loop_update_timer(pw_thread_loop_get_loop(loop), retryTimer, &value, nullptr, false);
    retryDelayNs = std::min(retryDelayNs * 2, kLongestRetryNs);
}

void PipeWireVideoSource::stop() {
    if (!d->loop) {
        return;
    }
    pw_thread_loop_lock(d->loop);
    d->connected = false;
    // Consumers are no longer told apart at shut-down: the caller stops streaming itself.
    d->ourLinks.clear();
    d->disconnectCore();
    if (d->retryTimer) {
        pw_loop_destroy_source(pw_thread_loop_get_loop(d->loop), d->retryTimer);
        d->retryTimer = nullptr;
    }
    pw_thread_loop_unlock(d->loop);
    pw_thread_loop_stop(d->loop);
    if (d->context) {
        pw_context_destroy(d->context);
        d->context = nullptr;
    }
    pw_thread_loop_destroy(d->loop);
    d->loop = nullptr;
}

int PipeWireVideoSource::sendFrame(std::shared_ptr<CameraBuffer> frame, std::uint64_t hostTimeNs,
                                   std::uint64_t) {
    if (!d->loop) {
        return ENODEV;
    }
    pw_thread_loop_lock(d->loop);
    int status = 0;
    if (d->stream && d->state == PW_STREAM_STATE_STREAMING) {
        d->pending = std::move(frame);
        d->pendingPtsNs = hostTimeNs;
        status = -pw_stream_trigger_process(d->stream);
        if (status < 0) {
            status = -status;
        }
    }
    pw_thread_loop_unlock(d->loop);
    return status;
}
