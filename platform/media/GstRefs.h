#pragma once
// Owning handles for the GLib and GStreamer references the engine holds: each is released exactly once,
// whatever path leaves the scope.
#include <gst/gst.h>

#include <memory>

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

template <class T> using Object = std::unique_ptr<T, ObjectUnref>;
using GObjectRef = std::unique_ptr<GObject, GObjectUnref>;
using Element = Object<GstElement>;
using Bus = Object<GstBus>;
using Pad = Object<GstPad>;
using Message = std::unique_ptr<GstMessage, MessageUnref>;
using TagList = std::unique_ptr<GstTagList, TagListUnref>;
using Error = std::unique_ptr<GError, ErrorFree>;
using CharBuffer = std::unique_ptr<gchar, GFree>;

// A floating new element becomes a plain reference we own (gst_object_ref_sink), so giving it to a bin later
// leaves our reference intact.
inline Element makeElement(const char* factory, const char* name) {
    GstElement* element = gst_element_factory_make(factory, name);
    return Element(element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}

} // namespace rt::gst
