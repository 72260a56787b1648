#include "platform/carbon/CarbonDrawing.h"

#include "framework/graphics/Graphics.h"

#include <QPainter>

#include <map>

namespace carbon {

namespace {

struct Context {
    int32_t port = 0;
    QTransform ctm;
};

std::map<int32_t, Context>& Contexts() {
    static std::map<int32_t, Context> contexts;
    return contexts;
}

Context* Find(int32_t context) {
    auto it = Contexts().find(context);
    return it == Contexts().end() ? nullptr : &it->second;
}

} // namespace

OSStatus QDBeginCGContext(int32_t port, int32_t* outContext) {
    if (!outContext || !fw::Graphics::FromPort(port)) return paramErr;
    static int32_t last = 0;
    do {
        last = last == INT32_MAX ? 1 : last + 1;
    } while (Contexts().count(last) > 0);
    Contexts()[last] = Context{port, QTransform()};
    *outContext = last;
    return noErr;
}

OSStatus QDEndCGContext(int32_t port, int32_t* inoutContext) {
    if (!inoutContext) return paramErr;
    const Context* context = Find(*inoutContext);
    if (!context || context->port != port) return paramErr;
    Contexts().erase(*inoutContext);
    *inoutContext = 0;
    return noErr;
}

void CGContextTranslateCTM(int32_t context, float tx, float ty) {
    if (Context* c = Find(context)) c->ctm = QTransform::fromTranslate(tx, ty) * c->ctm;
}

void CGContextScaleCTM(int32_t context, float sx, float sy) {
    if (Context* c = Find(context)) c->ctm = QTransform::fromScale(sx, sy) * c->ctm;
}

bool DrawInContext(int32_t context, const std::function<void(QPainter&)>& draw) {
    const Context* c = Find(context);
    fw::Graphics* g = c ? fw::Graphics::FromPort(c->port) : nullptr;
    if (!g) return false;
    // The context's base units have y growing upward from the port's bottom edge.
    const QTransform base(1, 0, 0, -1, 0, g->Height());
    const QTransform full = c->ctm * base;
    g->DrawWith([&](QPainter& painter) {
        painter.setTransform(full, true);
        draw(painter);
    });
    return true;
}

std::optional<QTransform> ContextTransform(int32_t context) {
    const Context* c = Find(context);
    if (!c) return std::nullopt;
    return c->ctm;
}

int OpenContextCount() { return static_cast<int>(Contexts().size()); }

} // namespace carbon
