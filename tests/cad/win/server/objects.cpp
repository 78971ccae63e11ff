#include "server/objects.h"

#include <oleauto.h>

#include <functional>
#include <vector>

#include "server/scripted_dispatch.h"

namespace server {

namespace {

using Drawing = std::shared_ptr<OpenDrawing>;

// The objects below keep the session and the drawing they belong to, and address their entity
// or attribute by position (model space or a layout, then the entity), which never changes while
// a drawing is open.

// Where an entity stands.
struct Place {
    std::size_t space = 0;  // Spaces::space
    std::size_t entity = 0;
};

class AttributeObject : public ScriptedDispatch {
public:
    AttributeObject(const std::shared_ptr<Session>& session, const Drawing& drawing, Place entity,
                    std::size_t index)
        : ScriptedDispatch(members(session, drawing, entity, index)) {}

private:
    static std::vector<Member> members(const std::shared_ptr<Session>& session,
                                       const Drawing& drawing, Place entity, std::size_t index) {
        const auto data = [drawing, entity, index]() -> AttributeData& {
            return drawing->spaces.space(entity.space)[entity.entity].attributes[index];
        };
        return {
            {L"TagString",
             [data](const DISPPARAMS& p, VARIANT* r) {
                 expectArguments(p, 0);
                 setString(r, data().tag);
             }},
            {L"TextString",
             [data](const DISPPARAMS& p, VARIANT* r) {
                 expectArguments(p, 0);
                 setString(r, data().text);
             },
             [session, drawing, data](const DISPPARAMS& p, VARIANT*) {
                 expectArguments(p, 1);
                 data().text = bstrArgument(p, 0);
                 drawing->modified = true;
                 session->journal().write(L"put " + drawing->path + L" " + data().tag + L"=\"" +
                                          data().text + L"\"");
             }},
        };
    }
};

// The attributes as the CAD application hands them over: VARIANTs holding IDispatch, in a
// SAFEARRAY that starts at the entity's lower bound (and is empty when there are none).
SAFEARRAY* attributeArray(const std::shared_ptr<Session>& session, const Drawing& drawing,
                          Place entity) {
    const EntityData& data = drawing->spaces.space(entity.space)[entity.entity];
    SAFEARRAYBOUND bound{static_cast<ULONG>(data.attributes.size()), data.lowerBound};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    if (array == nullptr) throw Fault{E_OUTOFMEMORY, {}};
    for (std::size_t i = 0; i < data.attributes.size(); ++i) {
        VARIANT element;
        element.vt = VT_DISPATCH;
        element.pdispVal = new AttributeObject(session, drawing, entity, i);
        LONG index = data.lowerBound + static_cast<LONG>(i);
        SafeArrayPutElement(array, &index, &element);  // the array keeps its own reference
        VariantClear(&element);
    }
    return array;
}

class EntityObject : public ScriptedDispatch {
public:
    EntityObject(const std::shared_ptr<Session>& session, const Drawing& drawing, Place index)
        : ScriptedDispatch(members(session, drawing, index)) {}

private:
    // Only block references answer GetAttributes, as only they have the typed interface.
    static std::vector<Member> members(const std::shared_ptr<Session>& session,
                                       const Drawing& drawing, Place index) {
        const std::wstring& name = drawing->spaces.space(index.space)[index.entity].name;
        std::vector<Member> table = {{L"EntityName", [name](const DISPPARAMS& p, VARIANT* r) {
                                          expectArguments(p, 0);
                                          setString(r, name);
                                      }}};
        if (name == L"AcDbBlockReference") {
            table.push_back(
                {L"GetAttributes", [session, drawing, index](const DISPPARAMS& p, VARIANT* r) {
                     expectArguments(p, 0);
                     if (r == nullptr) return;
                     r->parray = attributeArray(session, drawing, index);
                     r->vt = VT_ARRAY | VT_VARIANT;
                 }});
        }
        return table;
    }
};

// Count and Item of a collection of `count()` objects, Item(index) answering `item(index)`.
std::vector<ScriptedDispatch::Member> collection(std::function<std::size_t()> count,
                                                 std::function<IDispatch*(std::size_t)> item) {
    return {
        {L"Count",
         [count](const DISPPARAMS& p, VARIANT* r) {
             expectArguments(p, 0);
             setInt32(r, static_cast<std::int32_t>(count()));
         }},
        {L"Item",
         [count, item](const DISPPARAMS& p, VARIANT* r) {
             expectArguments(p, 1);
             // The client passes the index by reference, as Visual Basic passes a variable;
             // holding it to that here keeps that promise tested.
             if (!byReference(p, 0)) throw Fault{DISP_E_TYPEMISMATCH, {}};
             const std::int32_t index = int32Argument(p, 0);
             if (index < 0 || static_cast<std::size_t>(index) >= count()) {
                 throw Fault{DISP_E_BADINDEX, {}};
             }
             setObject(r, item(static_cast<std::size_t>(index)));
         }},
    };
}

// Model space, or the block of a paper-space layout.
class BlockObject : public ScriptedDispatch {
public:
    BlockObject(const std::shared_ptr<Session>& session, const Drawing& drawing, std::size_t space)
        : ScriptedDispatch(
              collection([drawing, space] { return drawing->spaces.space(space).size(); },
                         [session, drawing, space](std::size_t index) {
                             return new EntityObject(session, drawing, {space, index});
                         })) {}
};

// A layout: the model one (space 0), or a paper-space one.
class LayoutObject : public ScriptedDispatch {
public:
    LayoutObject(const std::shared_ptr<Session>& session, const Drawing& drawing, std::size_t space)
        : ScriptedDispatch({
              {L"ModelType",
               [space](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setBool(r, space == 0);
               }},
              {L"TabOrder",
               [drawing, space](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setInt32(r, space == 0 ? 0 : drawing->spaces.layouts.at(space - 1).tabOrder);
               }},
              {L"Block",
               [session, drawing, space](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setObject(r, new BlockObject(session, drawing, space));
               }},
          }) {}
};

// The model layout first, then the paper-space ones as the drawing lists them.
class LayoutsObject : public ScriptedDispatch {
public:
    LayoutsObject(const std::shared_ptr<Session>& session, const Drawing& drawing)
        : ScriptedDispatch(collection([drawing] { return drawing->spaces.layouts.size() + 1; },
                                      [session, drawing](std::size_t index) {
                                          return new LayoutObject(session, drawing, index);
                                      })) {}
};

class DocumentObject : public ScriptedDispatch {
public:
    DocumentObject(const std::shared_ptr<Session>& session, const Drawing& drawing)
        : ScriptedDispatch({
              {L"Open",
               [session](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 1);
                   setObject(r, new DocumentObject(session, session->open(bstrArgument(p, 0))));
               }},
              {L"Save",
               [session, drawing](const DISPPARAMS& p, VARIANT*) {
                   expectArguments(p, 0);
                   session->save(*drawing);
               }},
              {L"ModelSpace",
               [session, drawing](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setObject(r, new BlockObject(session, drawing, 0));
               }},
              {L"Layouts",
               [session, drawing](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setObject(r, new LayoutsObject(session, drawing));
               }},
              {L"FullName",
               [drawing](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setString(r, drawing->path);
               }},
              {L"Saved",
               [drawing](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setBool(r, !drawing->modified);
               }},
              {L"ReadOnly",
               [drawing](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setBool(r, drawing->readOnly);
               }},
              {L"Activate",
               [session, drawing](const DISPPARAMS& p, VARIANT*) {
                   expectArguments(p, 0);
                   session->activate(drawing);
               }},
              {L"Close",
               [session, drawing](const DISPPARAMS& p, VARIANT*) {
                   expectArguments(p, 1);
                   if (boolArgument(p, 0) && drawing->modified) session->save(*drawing);
                   session->close(drawing);
               }},
          }) {}
};

// Every open document, in the order they were opened.
class DocumentsObject : public ScriptedDispatch {
public:
    explicit DocumentsObject(const std::shared_ptr<Session>& session)
        : ScriptedDispatch(collection([session] { return session->documents().size(); },
                                      [session](std::size_t index) {
                                          return new DocumentObject(session,
                                                                    session->documents()[index]);
                                      })) {}
};

class ApplicationObject : public ScriptedDispatch {
public:
    explicit ApplicationObject(const std::shared_ptr<Session>& session)
        : ScriptedDispatch({
              {L"Visible",
               [session](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setBool(r, session->visible);
               },
               [session](const DISPPARAMS& p, VARIANT*) {
                   expectArguments(p, 1);
                   session->visible = boolArgument(p, 0);
                   session->journal().write(session->visible ? L"visible true" : L"visible false");
               }},
              {L"ActiveDocument",
               [session](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   if (!session->active()) throw Fault{E_FAIL, L"没有打开的图形。"};
                   setObject(r, new DocumentObject(session, session->active()));
               }},
              {L"Documents",
               [session](const DISPPARAMS& p, VARIANT* r) {
                   expectArguments(p, 0);
                   setObject(r, new DocumentsObject(session));
               }},
          }) {}
};

}  // namespace

IDispatch* newApplication(const std::shared_ptr<Session>& session) {
    return new ApplicationObject(session);
}

}  // namespace server
