// @ts-check
// The account: who is signed in, their phone number, switching accounts and
// signing out; signed out, the accounts this computer remembers.
import { confirmWithUser } from '../ask.js';
import { h, replace } from '../dom.js';
import { date, initials } from '../format.js';
import { vell } from '../sdk.js';
import { onSession, session } from '../session.js';

/** @typedef {import('../types.js').User} User */
/** @typedef {import('../types.js').LoginData} LoginData */

/** @type {import('../router.js').View} */
export async function accountView(root) {
  const draw = () => replace(root, session().signedIn ? signedIn(session()) : signedOut(session()));
  draw();
  return onSession(draw);
}

/** @param {User} user @param {string} [size] */
export function avatar(user, size = '') {
  return h('span', { class: `avatar ${size}`, style: `background: ${user.avatarColor}`, text: initials(user.displayName) });
}

/** @param {LoginData} data */
function signedIn(data) {
  const user = /** @type {User} */ (data.user);
  const sdk = vell();
  const phone = h('input', { attrs: { type: 'text', placeholder: '+44 7700 900123' } });
  return [
    h('div', { class: 'card profile' }, [
      avatar(user, 'large'),
      h('div', { style: 'flex: 1' }, [
        h('h2', { text: user.displayName }),
        h('div', { class: 'muted', text: `${user.account} · ${user.email}` }),
        h('div', { class: 'faint', text: `Level ${user.level} · member since ${date(user.memberSince)}` }),
      ]),
      h('button', { class: 'button danger', text: 'Sign out', attrs: { 'data-test': 'sign-out' }, on: { click: async () => {
        const yes = await confirmWithUser({ title: 'Sign out?', content: `Sign ${user.displayName} out of the launcher?`, yes: 'Sign out', name: 'logout' });
        if (yes) await sdk.accountModule.logout({});
      } } }),
    ]),
    h('div', { class: 'card' }, [
      h('h2', { text: 'Phone number', style: 'font-size: 16px; margin-bottom: 10px' }),
      h('p', { class: 'muted', text: user.phone ? `Bound: ${user.phone}` : 'No phone number is bound to this account.', style: 'margin-bottom: 12px' }),
      h('div', { class: 'row' }, [
        phone,
        h('button', { class: 'button', text: user.phone ? 'Change' : 'Bind', on: { click: () => {
          const digits = phone.value.replace(/[^\d+]/g, '');
          if (digits.length < 6) return;
          sdk.accountModule.setAccountAssociateMobilePhone({
            accountOpenId: user.openId, hashedMobileNumber: hash(digits), maskedMobileNumber: mask(digits),
          });
        } } }),
      ]),
    ]),
    h('div', { class: 'card' }, [
      h('h2', { text: 'Switch account', style: 'font-size: 16px; margin-bottom: 10px' }),
      h('div', { class: 'account-list' }, data.accounts.filter((other) => other.openId !== user.openId).map((other) =>
        accountRow(other, 'Switch', () => sdk.accountModule.selectAccount({
          accountOpenId: other.openId, accountHash: hash(other.openId), account: other.account, loginType: 1, isAuthRemember: true,
        })))),
    ]),
  ];
}

/** @param {LoginData} data */
function signedOut(data) {
  const sdk = vell();
  return [
    h('div', { class: 'card' }, [
      h('h2', { text: 'Sign in', style: 'font-size: 22px; margin-bottom: 6px' }),
      h('p', { class: 'muted', text: 'Choose one of the accounts this computer remembers.', style: 'margin-bottom: 16px' }),
      h('div', { class: 'account-list' }, data.accounts.map((user) => accountRow(user, 'Sign in', () => sdk.accountModule.loginSuccess({
        account: user.account, accountOpenId: user.openId, authToken: `demo-${hash(user.openId + Date.now())}`,
        refreshToken: `demo-${hash(user.account)}`, loginType: 1, isAuthRemember: true,
      })))),
    ]),
  ];
}

/**
 * @param {User} user
 * @param {string} label
 * @param {() => Promise<unknown>} act
 */
function accountRow(user, label, act) {
  return h('div', { class: 'account-row' }, [
    avatar(user),
    h('div', { class: 'who' }, [h('b', { text: user.displayName }), h('div', { class: 'faint', text: user.email })]),
    h('button', { class: 'button', text: label, attrs: { 'data-account': user.account }, on: { click: () => { act(); } } }),
  ]);
}

/** A short stand-in for a real hash: the demo has no secrets. @param {string} text */
export function hash(text) {
  let value = 2166136261;
  for (const char of text) value = Math.imul(value ^ char.charCodeAt(0), 16777619) >>> 0;
  return value.toString(16).padStart(8, '0');
}

/** @param {string} digits */
export function mask(digits) {
  return `${digits.slice(0, 3)} ••• ••• ${digits.slice(-3)}`;
}
