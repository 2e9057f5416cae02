#pragma once
// Owning handles for the GLib and GStreamer references the engine holds: each is released exactly once,
// whatever path leaves the scope.
#include <gst/gst.h>

#include <memory>
#include <utility>

namespace rt::gst {

struct ObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct MessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct TagListUnref {
    void operator()(GstTagList* tags) const { gst_tag_list_unref(tags); }
};
struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct QueryUnref {
    void operator()(GstQuery* query) const { gst_query_unref(query); }
};
struct CapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
// A pipeline must be brought down to NULL before its last reference goes.
struct StopAndUnref {
    void operator()(GstElement* pipeline) const {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};

template <class T> using Object = std::unique_ptr<T, ObjectUnref>;
using GObjectRef = std::unique_ptr<GObject, GObjectUnref>;
using Element = Object<GstElement>;
using Bus = Object<GstBus>;
using Pad = Object<GstPad>;
using Message = std::unique_ptr<GstMessage, MessageUnref>;
using TagList = std::unique_ptr<GstTagList, TagListUnref>;
using Error = std::unique_ptr<GError, ErrorFree>;
using CharBuffer = std::unique_ptr<gchar, GFree>;
using Caps = std::unique_ptr<GstCaps, CapsUnref>;
using Query = std::unique_ptr<GstQuery, QueryUnref>;
using Pipeline = std::unique_ptr<GstElement, StopAndUnref>;

// A watch of a bus on the default main context, removed when the owner goes.
class BusWatch {
  public:
    BusWatch() = default;
    BusWatch(GstBus* bus, GstBusFunc handler, gpointer data) : bus_(GST_BUS(gst_object_ref(bus))) {
        gst_bus_add_watch(bus, handler, data);
    }
    BusWatch(BusWatch&&) = default;
    BusWatch& operator=(BusWatch&& other) noexcept {
        if (this != &other) {
            remove();
            bus_ = std::move(other.bus_);
        }
        return *this;
    }
    ~BusWatch() { remove(); }

  private:
    void remove() {
        if (bus_)
            gst_bus_remove_watch(bus_.get());
    }
    Bus bus_;
};

// A floating new element becomes a plain reference we own (gst_object_ref_sink), so giving it to a bin later
// leaves our reference intact.
inline Element makeElement(const char* factory, const char* name) {
    GstElement* element = gst_element_factory_make(factory, name);
    return Element(element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}

} // namespace rt::gst
