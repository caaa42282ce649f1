#include <gtest/gtest.h>

#include "automation_sample.h"

namespace {

// A collection of n samples named "S0".."Sn-1", as a client holds it.
struct Items {
    CSampleItems* obj;
    explicit Items(int n, bool allowClone = false) : obj(new CSampleItems(allowClone)) {
        for (int i = 0; i < n; ++i) {
            auto* s = new CSample(u"S" + IntToW(i));
            obj->Add(s);
            s->Release();
        }
    }
    ~Items() { obj->Release(); }
    IEnumVARIANT* Enum() {
        void* p = nullptr;
        obj->ExternalQueryInterface(IID_IEnumVARIANT, &p);
        obj->ExternalRelease();  // borrowed for the test; the collection holds itself alive
        return static_cast<IEnumVARIANT*>(p);
    }
};

WString NameOf(const VARIANT& v) {
    EXPECT_EQ(v.vt, VT_DISPATCH);
    COleDispatchDriver d(v.pdispVal, false);
    return BstrToW(d.Get(u"Name").bstrVal);
}

}  // namespace

TEST(AutomationCollection, NextAnswersAsTheConventionsSay) {
    Items items(3);
    IEnumVARIANT* e = items.Enum();
    VARIANT v[3];
    ULONG fetched = 99;

    EXPECT_EQ(e->Next(2, v, nullptr), E_INVALIDARG);  // more than one without a fetched count
    EXPECT_EQ(items.obj->GetPosition(), 0);

    EXPECT_EQ(e->Next(0, v, &fetched), S_OK);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Next(1, v, nullptr), S_OK);  // one may go without
    EXPECT_EQ(NameOf(v[0]), u"S0");
    VariantClear(&v[0]);

    // Three asked, two left: both delivered, S_FALSE, the unused slot initialised.
    v[2].vt = VT_I4;
    EXPECT_EQ(e->Next(3, v, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(NameOf(v[0]), u"S1");
    EXPECT_EQ(NameOf(v[1]), u"S2");
    EXPECT_EQ(v[2].vt, VT_EMPTY);
    VariantClear(&v[0]);
    VariantClear(&v[1]);

    // At the end: S_FALSE at once for any count above 0, S_OK for 0.
    EXPECT_EQ(e->Next(1, v, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Next(0, v, &fetched), S_OK);
}

TEST(AutomationCollection, OnePositionSharedByEveryClientUntilReset) {
    Items items(2);
    IEnumVARIANT* first = items.Enum();
    IEnumVARIANT* second = items.Enum();  // _NewEnum twice: the same object, the same position
    EXPECT_EQ(first, second);
    VARIANT v;
    ULONG fetched;
    EXPECT_EQ(first->Next(1, &v, &fetched), S_OK);
    VariantClear(&v);
    EXPECT_EQ(second->Next(1, &v, &fetched), S_OK);
    EXPECT_EQ(NameOf(v), u"S1");
    VariantClear(&v);
    EXPECT_EQ(second->Next(1, &v, &fetched), S_FALSE);  // the second pass yields nothing...
    EXPECT_EQ(first->Reset(), S_OK);                    // ...until Reset
    EXPECT_EQ(second->Next(1, &v, &fetched), S_OK);
    EXPECT_EQ(NameOf(v), u"S0");
    VariantClear(&v);
}

TEST(AutomationCollection, SkipStopsAtTheEnd) {
    Items items(3);
    IEnumVARIANT* e = items.Enum();
    EXPECT_EQ(e->Skip(2), S_OK);
    EXPECT_EQ(items.obj->GetPosition(), 2);
    EXPECT_EQ(e->Skip(5), S_FALSE);
    EXPECT_EQ(items.obj->GetPosition(), 3);
    EXPECT_EQ(e->Skip(0), S_OK);
}

TEST(AutomationCollection, CloneContinuesFromTheSamePositionOnlyWhereAllowed) {
    Items refusing(2);
    IEnumVARIANT* clone = reinterpret_cast<IEnumVARIANT*>(&refusing);
    EXPECT_EQ(refusing.Enum()->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);

    Items items(3, true);
    IEnumVARIANT* e = items.Enum();
    VARIANT v;
    ULONG fetched;
    for (int i = 0; i < 2; ++i) {
        e->Next(1, &v, &fetched);
        VariantClear(&v);
    }
    ASSERT_EQ(e->Clone(&clone), S_OK);
    ASSERT_NE(clone, e);
    EXPECT_EQ(clone->Next(1, &v, &fetched), S_OK);
    EXPECT_EQ(NameOf(v), u"S2");
    VariantClear(&v);
    EXPECT_EQ(items.obj->GetPosition(), 2);  // positions go their own ways from here
    EXPECT_EQ(clone->Release(), 0u);
}

TEST(AutomationCollection, ItemTakesA16BitIndexAndRaisesTheBoundsError) {
    Items items(3);
    COleDispatchDriver d(items.obj->GetIDispatch(false), false);
    EXPECT_EQ(NameOf(d.Call(u"Item", {COleVariant(u"2")})), u"S2");  // the text "2": the third element
    EXPECT_EQ(NameOf(d.InvokeHelper(DISPID_VALUE, DISPATCH_PROPERTYGET, {COleVariant(1.0)})), u"S1");
    EXPECT_EQ(d.Get(u"Count").lVal, 3);

    struct Case {
        COleVariant index;
        WORD wCode;
        SCODE scode;
    };
    const Case cases[] = {
        {COleVariant(LONG(3)), 5, S_OK},   // = Count
        {COleVariant(LONG(-1)), 5, S_OK},  // below 0
        {COleVariant(LONG(70000)), 0, DISP_E_OVERFLOW},
        {COleVariant(u"two"), 0, DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : cases) {
        COleVariant result;
        EXCEPINFO info{};
        EXPECT_EQ(d.TryInvoke(2, DISPATCH_METHOD, {c.index}, &result, &info), DISP_E_EXCEPTION);
        EXPECT_EQ(info.wCode, c.wCode);
        EXPECT_EQ(info.scode, c.scode);
        if (c.wCode == 5) {
            EXPECT_EQ(BstrToW(info.bstrDescription), u"The bounds of a collection have been exceeded");
            EXPECT_EQ(info.dwHelpContext, 0x3006Eu);
        }
        ClearExcepInfo(&info);
    }
}

TEST(AutomationCollection, NewEnumHandsOutTheCollectionItself) {
    Items items(1);
    COleDispatchDriver d(items.obj->GetIDispatch(false), false);
    WString name = u"_newenum";
    LPOLESTR names[1] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(d.m_lpDispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_NEWENUM);
    COleVariant e = d.GetProperty(DISPID_NEWENUM);
    ASSERT_EQ(e.vt, VT_UNKNOWN);
    EXPECT_EQ(e.punkVal, items.obj->GetControllingUnknown());
    void* p = nullptr;
    ASSERT_EQ(e.punkVal->QueryInterface(IID_IEnumVARIANT, &p), S_OK);
    static_cast<IUnknown*>(p)->Release();
}

TEST(AutomationCollection, DetachedCollectionRefusesEnumeration) {
    Items items(2);
    IEnumVARIANT* e = items.Enum();
    items.obj->MarkDetached();
    VARIANT v;
    ULONG fetched = 7;
    EXPECT_EQ(e->Next(1, &v, &fetched), RPC_E_DISCONNECTED);
    EXPECT_EQ(e->Reset(), RPC_E_DISCONNECTED);
    IErrorInfo* info = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &info), S_OK);
    info->Release();
}
