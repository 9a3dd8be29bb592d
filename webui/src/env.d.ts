// Module declarations the bundler resolves: stylesheets are imported for their side effect.
declare module '*.css';
