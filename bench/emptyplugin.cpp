// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/emptyplugin.h"

#include "platform/com/object.h"

namespace {

class EmptyPlugin : public com::ComObject<com::Dual<vexo::IVexoPlugin>> {
public:
    com::HRESULT Disable(com::VARIANT_BOOL*) override { return com::S_OK; }
    com::HRESULT Enable(com::VARIANT_BOOL*) override { return com::S_OK; }
    com::HRESULT Configure(com::VARIANT_BOOL*) override { return com::S_OK; }
    com::HRESULT Init(com::BSTR, com::BSTR, vexo::IVexoPluginHelper**, com::VARIANT_BOOL*) override {
        return com::S_OK;
    }
    com::HRESULT MessageHandle(int32_t*, int32_t*, int32_t*, int32_t* result) override {
        *result = 0;
        return com::S_OK;
    }
    com::HRESULT get_PluginName(com::BSTR*) override { return com::S_OK; }
    com::HRESULT Term(com::VARIANT_BOOL*) override { return com::S_OK; }
};

}  // namespace

com::ComPtr<vexo::IVexoPlugin> makeEmptyPlugin() {
    return com::makeObject<EmptyPlugin>();
}
