#include "account/account_effects.h"

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "app/stored_secrets.h"
#include "platform/settings_store.h"

namespace twl {

void applyAccountOutcome(AppContext& context, AccountOutcome outcome, const std::string& userName,
                         const std::string& password) {
    switch (outcome) {
        case AccountOutcome::accepted:
            context.accountUserName = userName;
            context.accountPassword = password;
            context.userDefaults().setObject(context.accountUserName, keys::vpnUserName);
            context.secrets().set(keys::vpnUserPassword, context.accountPassword);
            return;
        case AccountOutcome::refused:
            context.userDefaults().setBool(false, keys::autoLogin);
            return;
        case AccountOutcome::notPaid:
        case AccountOutcome::networkError:
            return;
    }
}

void rememberAcceptedAccount(AppContext& context, bool isRemeber) {
    if (isRemeber) {
        context.userDefaults().setBool(true, keys::autoLogin);
    }
}

}  // namespace twl
